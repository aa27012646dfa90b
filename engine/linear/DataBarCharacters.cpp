// GS1 DataBar character sets (ISO/IEC 24724): values by the width
// combinatorics, group parameters, finder patterns and checksum weights.
#include "engine/linear/DataBarCharacters.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vexo::engine::databar {
namespace {

// One group of a character set: the module count of the odd elements, the
// widest odd element (the widest even one is 9 minus it), and how many odd
// and even width sequences the group uses. The group's first value is the sum
// of the sizes (odd count times even count) of the groups before it.
struct Group {
  Int32 oddModules;
  Int32 oddWidest;
  Int32 oddCount;
  Int32 evenCount;
};
constexpr Int32 kWidestPair = 9;

// How a set joins the odd value (vo) and the even value (ve), and which side
// may do without a one-module element (the other side counts only sequences
// that hold one).
struct CharacterSet {
  CharacterShape shape;
  bool oddMajor;  // value = vo * evenCount + ve; otherwise ve * oddCount + vo
  bool oddNoNarrow;
  bool evenNoNarrow;
  std::span<const Group> groups;
};

constexpr Group kOuterGroups[] = {
    {12, 8, 161, 1}, {10, 6, 80, 10}, {8, 4, 31, 34}, {6, 3, 10, 70}, {4, 1, 1, 126}};
constexpr Group kInnerGroups[] = {{5, 2, 4, 84}, {7, 4, 20, 35}, {9, 6, 48, 10}, {11, 8, 81, 1}};
constexpr Group kLimitedGroups[] = {{17, 6, 6538, 28},  {13, 5, 875, 728},  {9, 3, 28, 6454},
                                    {15, 5, 2415, 203}, {11, 4, 203, 2408}, {19, 8, 17094, 1},
                                    {7, 1, 1, 16632}};
constexpr Group kExpandedGroups[] = {
    {12, 7, 87, 4}, {10, 5, 52, 20}, {8, 4, 30, 52}, {6, 3, 10, 104}, {4, 1, 1, 204}};

const CharacterSet& SetOf(CharacterKind kind) {
  // In the order of CharacterKind.
  static const CharacterSet kSets[] = {
      {{8, 16}, true, true, false, kOuterGroups},
      {{8, 15}, false, false, true, kInnerGroups},
      {{14, 26}, true, true, false, kLimitedGroups},
      {{8, 17}, true, false, true, kExpandedGroups},
  };
  return kSets[static_cast<std::size_t>(kind)];
}

Int64 Combinations(Int32 n, Int32 r) {
  if (r < 0 || n < r) return 0;
  r = std::min(r, n - r);
  Int64 result = 1;
  for (Int32 i = 1; i <= r; ++i) result = result * (n - r + i) / i;
  return result;
}

// DataBar finder patterns, the first three elements (the last two are one
// module each).
constexpr std::array<std::array<Int32, 3>, 9> kFinders{{{3, 8, 2},
                                                        {3, 5, 5},
                                                        {3, 3, 7},
                                                        {3, 1, 9},
                                                        {2, 7, 4},
                                                        {2, 5, 6},
                                                        {2, 3, 8},
                                                        {1, 5, 7},
                                                        {1, 3, 9}}};
// DataBar Expanded finder patterns A..F.
constexpr std::array<std::array<Int32, 3>, 6> kExpandedFinders{
    {{1, 8, 4}, {3, 6, 4}, {3, 4, 6}, {3, 2, 8}, {2, 6, 5}, {2, 2, 9}}};

// DataBar Limited check characters: seven odd and seven even elements of nine
// modules each, the last of each one module wide. The first six of each side
// spell one of the 21 sequences of 8 modules (values by WidthsValue, widest 3).
// Bit e of row o: the pair (odd o, even e) is a check character; the pairs in
// increasing order of o, then e, are the check values 0..88.
constexpr Int32 kCheckSideValues = 21;
constexpr std::array<UInt32, kCheckSideValues> kCheckPairs{
    0x1FFFFF, 0x1FFFFF, 0x00840B, 0x09FC0F, 0, 0, 0x1F805F, 0,       0,
    0,        0x0004FF, 0,        0,        0, 0, 0x0009BE, 0x000002};

Int32 Power(Int32 base, Int32 exponent, Int32 modulus) {
  Int32 result = 1;
  for (Int32 i = 0; i < exponent; ++i) result = result * base % modulus;
  return result;
}

// Expanded finder sequences, as 0..11 for A1, A2, B1, ... F2 (letter * 2,
// plus one for the mirrored copy).
enum : Int8 { A1, A2, B1, B2, C1, C2, D1, D2, E1, E2, F1, F2 };
constexpr Int8 kSequences[kMaxExpandedPairs - 1][kMaxExpandedPairs] = {
    {A1, A2},
    {A1, B2, B1},
    {A1, C2, B1, D2},
    {A1, E2, B1, D2, C1},
    {A1, E2, B1, D2, D1, F2},
    {A1, E2, B1, D2, E1, F2, F1},
    {A1, A2, B1, B2, C1, C2, D1, D2},
    {A1, A2, B1, B2, C1, C2, D1, E2, E1},
    {A1, A2, B1, B2, C1, C2, D1, E2, F1, F2},
    {A1, A2, B1, B2, C1, D2, D1, E2, E1, F2, F1},
};

template <std::size_t N>
Int32 MatchFinder(const std::array<std::array<Int32, 3>, N>& table, std::span<const Int32> w) {
  if (w.size() != kFinderElements || w[3] != 1 || w[4] != 1) return -1;
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i][0] == w[0] && table[i][1] == w[1] && table[i][2] == w[2]) {
      return static_cast<Int32>(i);
    }
  }
  return -1;
}

}  // namespace

// Counts, element by element, the sequences that come before `widths`: for
// each narrower width the current element could take, the sequences of the
// remaining elements, less those with an element wider than `maxWidth` and,
// without `noNarrow`, those without a one-module element.
Int32 WidthsValue(std::span<const Int32> widths, Int32 maxWidth, bool noNarrow) {
  const Int32 elements = static_cast<Int32>(widths.size());
  Int32 n = std::accumulate(widths.begin(), widths.end(), 0);
  Int64 value = 0;
  bool narrowSeen = false;
  for (Int32 bar = 0; bar < elements - 1; ++bar) {
    Int32 width = 1;
    bool narrow = true;  // the element so far is one module wide
    for (; width < widths[static_cast<std::size_t>(bar)]; ++width, narrow = false) {
      const Int32 rest = elements - bar - 1;  // elements after this one
      Int64 sub = Combinations(n - width - 1, rest - 1);
      if (!noNarrow && !narrowSeen && !narrow && n - width - rest >= rest) {
        sub -= Combinations(n - width - rest - 1, rest - 1);
      }
      if (rest > 1) {
        Int64 less = 0;
        for (Int32 widest = n - width - (rest - 1); widest > maxWidth; --widest) {
          less += Combinations(n - width - widest - 1, rest - 2);
        }
        sub -= less * rest;
      } else if (n - width > maxWidth) {
        --sub;
      }
      value += sub;
    }
    if (width == 1) narrowSeen = true;
    n -= width;
  }
  return static_cast<Int32>(value);
}

CharacterShape ShapeOf(CharacterKind kind) { return SetOf(kind).shape; }

std::vector<GroupSize> GroupsOf(CharacterKind kind) {
  std::vector<GroupSize> sizes;
  Int32 first = 0;
  for (const Group& group : SetOf(kind).groups) {
    sizes.push_back({first, group.oddCount, group.evenCount});
    first += group.oddCount * group.evenCount;
  }
  return sizes;
}

Int32 CharacterValue(CharacterKind kind, std::span<const Int32> widths) {
  const CharacterSet& set = SetOf(kind);
  const std::size_t half = static_cast<std::size_t>(set.shape.elements / 2);
  if (widths.size() != half * 2) return -1;
  std::array<Int32, 7> odd{}, even{};
  Int32 oddModules = 0, evenModules = 0;
  for (std::size_t i = 0; i < half; ++i) {
    odd[i] = widths[2 * i];
    even[i] = widths[2 * i + 1];
    if (odd[i] < 1 || even[i] < 1) return -1;
    oddModules += odd[i];
    evenModules += even[i];
  }
  if (oddModules + evenModules != set.shape.modules) return -1;
  Int32 first = 0;
  for (const Group& group : set.groups) {
    if (group.oddModules == oddModules) {
      const Int32 oddWidest = group.oddWidest, evenWidest = kWidestPair - group.oddWidest;
      for (std::size_t i = 0; i < half; ++i) {
        if (odd[i] > oddWidest || even[i] > evenWidest) return -1;
      }
      const Int32 vo = WidthsValue({odd.data(), half}, oddWidest, set.oddNoNarrow);
      const Int32 ve = WidthsValue({even.data(), half}, evenWidest, set.evenNoNarrow);
      if (vo >= group.oddCount || ve >= group.evenCount) return -1;
      return first + (set.oddMajor ? vo * group.evenCount + ve : ve * group.oddCount + vo);
    }
    first += group.oddCount * group.evenCount;
  }
  return -1;
}

bool ToModules(std::span<const float> pixels, Int32 modules, std::span<Int32> out) {
  if (pixels.size() != out.size() || pixels.empty()) return false;
  float total = 0;
  for (float p : pixels) total += p;
  if (!(total > 0)) return false;
  const float scale = static_cast<float>(modules) / total;
  Int32 sum = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    out[i] = static_cast<Int32>(std::lround(pixels[i] * scale));
    sum += out[i];
  }
  // Settle the rounding on the elements whose share lies nearest a half.
  while (sum != modules) {
    const Int32 step = sum < modules ? 1 : -1;
    std::size_t best = out.size();
    float bestError = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (step < 0 && out[i] <= 1) continue;
      const float error =
          (pixels[i] * scale - static_cast<float>(out[i])) * static_cast<float>(step);
      if (best == out.size() || error > bestError) best = i, bestError = error;
    }
    if (best == out.size()) return false;
    out[best] += step;
    sum += step;
  }
  return std::all_of(out.begin(), out.end(), [](Int32 w) { return w >= 1; });
}

Int32 ReadCharacter(CharacterKind kind, std::span<const float> pixels, bool reversed) {
  const CharacterShape shape = ShapeOf(kind);
  std::array<float, 14> line{};
  std::array<Int32, 14> modules{};
  const std::size_t count = static_cast<std::size_t>(shape.elements);
  if (pixels.size() != count) return -1;
  for (std::size_t i = 0; i < count; ++i) line[i] = pixels[reversed ? count - 1 - i : i];
  if (!ToModules({line.data(), count}, shape.modules, {modules.data(), count})) return -1;
  return CharacterValue(kind, {modules.data(), count});
}

Int32 LimitedCheckValue(std::span<const Int32> widths) {
  constexpr std::size_t kSide = 7;
  if (widths.size() != 2 * kSide) return -1;
  std::array<Int32, kSide> odd{}, even{};
  for (std::size_t i = 0; i < kSide; ++i) odd[i] = widths[2 * i], even[i] = widths[2 * i + 1];
  const auto side = [](const std::array<Int32, kSide>& w) {
    if (w[kSide - 1] != 1 || std::accumulate(w.begin(), w.end(), 0) != 9) return -1;
    if (std::any_of(w.begin(), w.end(), [](Int32 x) { return x < 1 || x > 3; })) return -1;
    return WidthsValue({w.data(), kSide - 1}, 3, true);
  };
  const Int32 vo = side(odd), ve = side(even);
  if (vo < 0 || ve < 0 || vo >= kCheckSideValues || ve >= kCheckSideValues) return -1;
  if ((kCheckPairs[static_cast<std::size_t>(vo)] >> ve & 1U) == 0) return -1;
  Int32 value = 0;
  for (Int32 o = 0; o < vo; ++o) value += std::popcount(kCheckPairs[static_cast<std::size_t>(o)]);
  return value + std::popcount(kCheckPairs[static_cast<std::size_t>(vo)] & ((1U << ve) - 1));
}

Int32 FinderValue(std::span<const Int32> widths) { return MatchFinder(kFinders, widths); }

Int32 ExpandedFinderValue(std::span<const Int32> widths) {
  return MatchFinder(kExpandedFinders, widths);
}

Int32 FinderValueOfPixels(std::span<const float> pixels, bool expanded) {
  std::array<Int32, kFinderElements> modules{};
  if (pixels.size() != kFinderElements || !ToModules(pixels, kFinderModules, modules)) return -1;
  return expanded ? ExpandedFinderValue(modules) : FinderValue(modules);
}

Int32 DataBarWeight(Int32 character, Int32 element) {
  return Power(3, 8 * character + element, 79);
}

Int32 DataBarChecksumOfFinders(Int32 left, Int32 right) {
  // The 81 finder pairs carry 79 checksums: (0, 8) and (8, 0) are not used.
  const Int32 pair = 9 * left + right;
  if (left < 0 || right < 0 || pair == 8 || pair == 72) return -1;
  return pair - (pair > 8 ? 1 : 0) - (pair > 72 ? 1 : 0);
}

Int32 LimitedWeight(Int32 element) { return Power(3, element, 89); }

Int32 ExpandedWeight(Int32 finder, bool right, Int32 element) {
  // The character left of A1 is the check character itself and has no row.
  const Int32 row = 2 * finder + (right ? 1 : 0) - 1;
  return Power(3, 8 * row + element, 211);
}

std::string GtinContent(Int64 data) {
  constexpr Int32 kDigits = 13;
  std::string content(2 + kDigits + 1, '0');
  content[1] = '1';
  Int32 sum = 0;
  for (Int32 i = 0; i < kDigits; ++i, data /= 10) {
    const Int32 digit = static_cast<Int32>(data % 10);
    content[static_cast<std::size_t>(2 + kDigits - 1 - i)] = static_cast<char>('0' + digit);
    sum += digit * (i % 2 == 0 ? 3 : 1);  // weight 3 on the digit nearest the check digit
  }
  content.back() = static_cast<char>('0' + (10 - sum % 10) % 10);
  return content;
}

Int32 ExpandedFinderOf(Int32 pairs, Int32 pair) {
  if (pairs < 2 || pairs > kMaxExpandedPairs || pair < 0 || pair >= pairs) return -1;
  return kSequences[pairs - 2][pair];
}

}  // namespace vexo::engine::databar
