// Code 11 (USS Code 11): each character is three bars and two spaces, one or
// two of the five wide, followed by a narrow space; the same start and stop
// character at both ends. Check characters: C (weights 1 to 10 from the right,
// mod 11) and K (weights 1 to 9 over the data and C, mod 11), the value 10
// written "-". They stay in the content.

#include "engine/linear/Code11.h"

#include <array>

#include "engine/bars/RunTools.h"

namespace vexo::engine {
namespace {

struct Character {
  char symbol;
  UInt8 elements;  // bar, space, bar, space, bar; first in the highest bit, 1 = wide
};

constexpr std::array<Character, 11> kCharacters{{
    {'0', 0b00001},
    {'1', 0b10001},
    {'2', 0b01001},
    {'3', 0b11000},
    {'4', 0b00101},
    {'5', 0b10100},
    {'6', 0b01100},
    {'7', 0b00011},
    {'8', 0b10010},
    {'9', 0b10000},
    {'-', 0b00100},
}};
constexpr UInt8 kStartStop = 0b00110;
constexpr int kElements = 5;
constexpr int kDash = 10;
constexpr int kCWeights = 10;
constexpr int kKWeights = 9;
constexpr int kModulus = 11;

// Wide elements are about twice the narrow ones.
constexpr float kMinRatio = 1.5f;
constexpr float kMaxRatio = 3.5f;
constexpr float kMinElement = 0.4f;  // of a narrow element
// A character's width in modules (6 with one wide element, 7 with two) may
// differ from the start's scale by this share.
constexpr float kScaleSpread = 0.25f;
// Quiet zones of at least this many narrow elements on both sides: a symbol
// does not begin or end inside other marks.
constexpr float kQuietNarrows = 7;
constexpr std::size_t kMinCharacters = 3;
constexpr std::size_t kMinUncheckedCharacters = 4;

// Narrow and wide widths of bars and of spaces apart: ink spread makes bars
// wider and spaces narrower alike.
struct Scale {
  float narrowBar, wideBar, narrowSpace, wideSpace;
  float module;  // of the start character

  float Narrow(bool bar) const { return bar ? narrowBar : narrowSpace; }
  float Threshold(bool bar) const {
    return bar ? (narrowBar + wideBar) / 2 : (narrowSpace + wideSpace) / 2;
  }
};

// The five elements from run j as bits, -1 when an element is out of bounds
// or the character's width does not fit the scale.
int ElementBits(const RunRow& row, std::size_t j, const Scale& scale) {
  int bits = 0, wides = 0;
  for (int k = 0; k < kElements; ++k) {
    const bool bar = k % 2 == 0;
    const float width = row.widths[j + static_cast<std::size_t>(k)];
    if (width < kMinElement * scale.Narrow(bar) || width > kMaxRatio * scale.Narrow(bar)) return -1;
    const bool wide = width > scale.Threshold(bar);
    bits = bits << 1 | (wide ? 1 : 0);
    wides += wide ? 1 : 0;
  }
  if (wides < 1 || wides > 2) return -1;
  const float modules = static_cast<float>(kElements + wides);
  const float module = SumOf(row, j, kElements) / modules;
  if (module < (1 - kScaleSpread) * scale.module || module > (1 + kScaleSpread) * scale.module) {
    return -1;
  }
  return bits;
}

int ValueOf(int bits) {
  for (std::size_t v = 0; v < kCharacters.size(); ++v) {
    if (kCharacters[v].elements == bits) return static_cast<int>(v);
  }
  return -1;
}

bool NarrowGap(const RunRow& row, std::size_t j, const Scale& scale) {
  const float gap = row.widths[j];
  return gap >= kMinElement * scale.narrowSpace && gap <= scale.Threshold(false);
}

bool ReadFrom(const RunRow& row, std::size_t i, std::vector<LineRead>& out, std::size_t& next) {
  const std::size_t count = row.widths.size();
  if (i + kElements + 1 >= count) return false;
  const float* w = &row.widths[i];
  Scale scale{(w[0] + w[4]) / 2, w[2], w[1], w[3], SumOf(row, i, kElements) / 7};
  if (scale.narrowBar <= 0 || scale.narrowSpace <= 0 ||
      scale.wideBar < kMinRatio * scale.narrowBar || scale.wideBar > kMaxRatio * scale.narrowBar ||
      scale.wideSpace < kMinRatio * scale.narrowSpace ||
      scale.wideSpace > kMaxRatio * scale.narrowSpace || ElementBits(row, i, scale) != kStartStop ||
      !NarrowGap(row, i + kElements, scale) ||
      !QuietZone(row, i - 1, kQuietNarrows * scale.module)) {
    return false;
  }
  std::vector<UInt8> characters;
  // Each step reads one character and its gap, or the stop; the work is
  // bounded by the number of runs.
  for (std::size_t j = i + kElements + 1; j + kElements < count; j += kElements + 1) {
    const int bits = ElementBits(row, j, scale);
    if (bits == kStartStop) {
      if (!QuietZone(row, j + kElements, kQuietNarrows * scale.module)) return false;
      const bool checked = Code11CheckVerifies(characters);
      if (characters.size() < (checked ? kMinCharacters : kMinUncheckedCharacters)) return false;
      out.push_back({Symbology::Code11, 0, std::move(characters), row.starts[i],
                     row.starts[j + kElements - 1] + row.widths[j + kElements - 1], false});
      next = j + kElements + 1;
      return true;
    }
    const int value = bits < 0 ? -1 : ValueOf(bits);
    if (value < 0 || !NarrowGap(row, j + kElements, scale)) return false;
    characters.push_back(static_cast<UInt8>(kCharacters[static_cast<std::size_t>(value)].symbol));
  }
  return false;
}

void ReadForward(const RunRow& row, std::vector<LineRead>& out) {
  ReadAtEveryBar(row, out, ReadFrom);
}

int Value(UInt8 character) { return character == '-' ? kDash : character - '0'; }

// The check over characters[0 .. count-1]: weights 1 .. maxWeight from the
// right, mod 11.
int Check(const std::vector<UInt8>& characters, std::size_t count, int maxWeight) {
  int sum = 0, weight = 1;
  for (std::size_t k = count; k-- > 0;) {
    sum += weight * Value(characters[k]);
    weight = weight == maxWeight ? 1 : weight + 1;
  }
  return sum % kModulus;
}

}  // namespace

void ReadCode11(const RunRow& row, std::vector<LineRead>& out) {
  ReadBothWays(row, out, ReadForward);
}

bool Code11CheckVerifies(const std::vector<UInt8>& characters) {
  const std::size_t n = characters.size();
  const auto verifies = [&](std::size_t data, int maxWeight) {
    return Check(characters, data, maxWeight) == Value(characters[data]);
  };
  if (n >= 3 && verifies(n - 2, kCWeights) && verifies(n - 1, kKWeights)) return true;
  return n >= 2 && verifies(n - 1, kCWeights);
}

}  // namespace vexo::engine
