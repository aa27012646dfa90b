#include "engine/stacked/DataBarSegments.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "engine/linear/DataBarCharacters.h"
#include "engine/stacked/ExpandedData.h"

namespace vexo::engine::databar {
namespace {

constexpr std::size_t kCharacterElements = 8;
constexpr std::size_t kFinderRuns = 5;
// A character's width may differ this much from its share at the finder's
// module width (print gain, tilt, a module size that drifts along the line).
constexpr float kCharacterTolerance = 0.25F;
// Neighbouring segments of a row meet within this many modules.
constexpr float kChainGapModules = 1.5F;

float Sum(std::span<const float> w) {
  float total = 0;
  for (float x : w) total += x;
  return total;
}

bool Fits(std::span<const float> w, Int32 modules, float module) {
  const float expected = static_cast<float>(modules) * module;
  return std::abs(Sum(w) - expected) <= expected * kCharacterTolerance + module * 0.5F;
}

// The character of `kind` on runs `w` (line order), read forward or from its
// last run; its modules go to `modules`. Its value, or -1.
Int32 Character(CharacterKind kind, std::span<const float> w, bool fromEnd, float module,
                std::array<Int32, 8>& modules) {
  const CharacterShape shape = ShapeOf(kind);
  if (!Fits(w, shape.modules, module)) return -1;
  std::array<float, kCharacterElements> ordered{};
  for (std::size_t i = 0; i < kCharacterElements; ++i) {
    ordered[i] = w[fromEnd ? kCharacterElements - 1 - i : i];
  }
  if (!ToModules(ordered, shape.modules, modules)) return -1;
  return CharacterValue(kind, modules);
}

// The segment whose finder is runs [at, at + 5) of `w` (reading order).
bool SegmentAt(std::span<const float> w, std::size_t at, Segment& segment) {
  const std::span<const float> finder = w.subspan(at, kFinderRuns);
  const float module = Sum(finder) / static_cast<float>(kFinderModules);
  // A finder ends (or, mirrored, starts) with two one-module elements.
  const bool small[2] = {finder[0] < 1.75F * module && finder[1] < 1.75F * module,
                         finder[3] < 1.75F * module && finder[4] < 1.75F * module};
  if (small[0] == small[1]) return false;
  const bool mirrored = small[0];
  std::array<float, kFinderRuns> ordered{};
  for (std::size_t i = 0; i < kFinderRuns; ++i)
    ordered[i] = finder[mirrored ? kFinderRuns - 1 - i : i];
  std::array<Int32, kFinderRuns> modules{};
  if (!ToModules(ordered, kFinderModules, modules)) return false;
  const Int32 plain = FinderValue(modules);
  const Int32 expanded = ExpandedFinderValue(modules);
  if (plain < 0 && expanded < 0) return false;
  const bool hasLeft = at >= kCharacterElements;
  const bool hasRight = at + kFinderRuns + kCharacterElements <= w.size();
  if (!hasLeft) return false;
  const std::span<const float> left = w.subspan(at - kCharacterElements, kCharacterElements);
  segment = Segment{};
  segment.module = module;
  if (plain >= 0) {
    if (!hasRight) return false;
    const std::span<const float> right = w.subspan(at + kFinderRuns, kCharacterElements);
    // Left half: outer character, finder, inner character; the right half
    // mirrors it.
    segment.finder = plain;
    segment.rightHalf = mirrored;
    const CharacterKind leftKind = mirrored ? CharacterKind::Inner : CharacterKind::Outer;
    const CharacterKind rightKind = mirrored ? CharacterKind::Outer : CharacterKind::Inner;
    segment.values[0] = Character(leftKind, left, false, module, segment.modules[0]);
    segment.values[1] = Character(rightKind, right, true, module, segment.modules[1]);
    if (segment.values[0] < 0 || segment.values[1] < 0) return false;
    segment.begin = 0;
    segment.end = Sum(w.subspan(at - kCharacterElements, 2 * kCharacterElements + kFinderRuns));
    return true;
  }
  segment.expanded = true;
  segment.finder = 2 * expanded + (mirrored ? 1 : 0);
  segment.values[0] = Character(CharacterKind::Expanded, left, false, module, segment.modules[0]);
  if (segment.values[0] < 0) return false;
  std::size_t runs = kCharacterElements + kFinderRuns;
  if (hasRight) {
    const std::span<const float> right = w.subspan(at + kFinderRuns, kCharacterElements);
    segment.values[1] = Character(CharacterKind::Expanded, right, true, module, segment.modules[1]);
    if (segment.values[1] >= 0) runs += kCharacterElements;
  }
  segment.end = Sum(w.subspan(at - kCharacterElements, runs));
  return true;
}

void FindDirection(const RunRow& row, bool reversed, std::vector<Segment>& out) {
  const std::size_t count = row.widths.size();
  std::vector<float> w(row.widths);
  if (reversed) std::reverse(w.begin(), w.end());
  for (std::size_t at = kCharacterElements; at + kFinderRuns <= count; ++at) {
    Segment segment;
    if (!SegmentAt(w, at, segment)) continue;
    // Line positions of the first and last run of the segment.
    const std::size_t first = at - kCharacterElements;
    const float length = segment.end;
    if (reversed) {
      const std::size_t lineFirst = count - 1 - first;  // the segment's start, the line's later end
      segment.end = row.starts[lineFirst] + row.widths[lineFirst];
      segment.begin = segment.end - length;
    } else {
      segment.begin = row.starts[first];
      segment.end = segment.begin + length;
    }
    segment.reversed = reversed;
    out.push_back(segment);
  }
}

constexpr Int64 kPairRadix = 1597;     // outer * 1597 + inner
constexpr Int64 kHalfRadix = 4537077;  // left half * 4537077 + right half
constexpr Int32 kExpandedModulus = 211;
constexpr Int32 kExpandedMinCharacters = 4;
constexpr Int32 kExpandedMaxCharacters = 22;

}  // namespace

std::optional<std::string> DataBarContent(const Segment& left, const Segment& right) {
  if (left.expanded || right.expanded || left.rightHalf || !right.rightHalf) return std::nullopt;
  // Characters in checksum order: left outer, left inner, right outer, right
  // inner; a right half holds (inner, outer).
  const std::array<const std::array<Int32, 8>*, 4> modules{&left.modules[0], &left.modules[1],
                                                           &right.modules[1], &right.modules[0]};
  Int32 sum = 0;
  for (Int32 c = 0; c < 4; ++c) {
    for (Int32 j = 0; j < 8; ++j)
      sum += (*modules[std::size_t(c)])[std::size_t(j)] * DataBarWeight(c, j);
  }
  if (DataBarChecksumOfFinders(left.finder, right.finder) != sum % kDataBarChecksumModulus) {
    return std::nullopt;
  }
  const Int64 data = (left.values[0] * kPairRadix + left.values[1]) * kHalfRadix +
                     right.values[1] * kPairRadix + right.values[0];
  if (data > 9999999999999) return std::nullopt;
  return GtinContent(data);
}

Int32 ExpandedPairCount(const Segment& first) {
  if (!first.expanded || first.finder != 0 || first.values[0] < 0) return 0;
  const Int32 characters = first.values[0] / kExpandedModulus + kExpandedMinCharacters;
  if (characters > kExpandedMaxCharacters) return 0;
  return (characters + 1) / 2;
}

std::optional<std::string> ExpandedContent(std::span<const Segment> pairs) {
  const Int32 count = pairs.empty() ? 0 : ExpandedPairCount(pairs.front());
  if (count == 0 || static_cast<Int32>(pairs.size()) != count) return std::nullopt;
  const Int32 characters = pairs.front().values[0] / kExpandedModulus + kExpandedMinCharacters;
  std::vector<Int32> data;
  Int32 sum = 0;
  for (Int32 p = 0; p < count; ++p) {
    const Segment& pair = pairs[std::size_t(p)];
    if (!pair.expanded || pair.finder != ExpandedFinderOf(count, p)) return std::nullopt;
    for (Int32 side = 0; side < 2; ++side) {
      const Int32 index = 2 * p + side;
      const bool present = pair.values[std::size_t(side)] >= 0;
      if (present != (index < characters)) return std::nullopt;
      if (index == 0 || !present) continue;
      data.push_back(pair.values[std::size_t(side)]);
      for (Int32 j = 0; j < 8; ++j) {
        sum += pair.modules[std::size_t(side)][std::size_t(j)] *
               ExpandedWeight(pair.finder, side == 1, j);
      }
    }
  }
  if (pairs.front().values[0] % kExpandedModulus != sum % kExpandedModulus) return std::nullopt;
  return ExpandedElementString(data);
}

void FindSegments(const RunRow& row, std::vector<Segment>& out) {
  if (row.starts.size() != row.widths.size()) return;
  FindDirection(row, false, out);
  FindDirection(row, true, out);
}

std::vector<Chain> Chains(const std::vector<Segment>& segments) {
  std::vector<Chain> chains;
  for (const Segment& s : segments) {
    Chain* joined = nullptr;
    for (Chain& chain : chains) {
      const Segment& last = chain.back();
      if (last.reversed != s.reversed || last.expanded != s.expanded) continue;
      // In reading order the next segment starts where the last one ends.
      // A pattern inside a character may pass for a finder and start a
      // stray chain: the longer chain takes the segment.
      const float gap = s.reversed ? last.begin - s.end : s.begin - last.end;
      if (std::abs(gap) <= kChainGapModules * last.module &&
          (joined == nullptr || chain.size() > joined->size())) {
        joined = &chain;
      }
    }
    if (joined != nullptr) {
      joined->push_back(s);
    } else {
      chains.push_back({s});
    }
  }
  return chains;
}

}  // namespace vexo::engine::databar
