// Industrial 2 of 5, the bars-only two-of-five code: each digit is five bars,
// two of them wide, every space narrow; a start of three bars (wide, wide,
// narrow) and a stop of three (wide, narrow, wide). No check digit.

#include "engine/linear/Standard2of5.h"

#include <array>

#include "engine/bars/RunTools.h"

namespace vexo::engine {
namespace {

// The digits' bars, first bar in the highest bit, 1 = wide.
constexpr std::array<UInt8, 10> kDigitBars{
    0b00110,  // 0
    0b10001,  // 1
    0b01001,  // 2
    0b11000,  // 3
    0b00101,  // 4
    0b10100,  // 5
    0b01100,  // 6
    0b00011,  // 7
    0b10010,  // 8
    0b01010,  // 9
};
constexpr UInt8 kStartBars = 0b110;
constexpr UInt8 kStopBars = 0b101;

// Wide bars are two to three narrow ones; blur and ink spread move the
// measured ratio a little beyond either end.
constexpr float kMinRatio = 1.7f;
constexpr float kMaxRatio = 4.2f;
// Every space is narrow: within these shares of the start's spaces. This is
// what sets the symbol apart from text and from other symbologies' bars.
constexpr float kMinSpace = 0.6f;
constexpr float kMaxSpace = 1.6f;
// Ink spread makes bars wider and spaces narrower, or the other way round,
// but a narrow space stays within these shares of a narrow bar.
constexpr float kMinSpaceToBar = 0.4f;
constexpr float kMaxSpaceToBar = 2.5f;
constexpr float kMinElement = 0.4f;  // no bar thinner, in narrow bars
// Quiet zones of at least this many narrow bars on both sides: a symbol does
// not begin or end inside other marks.
constexpr float kQuietNarrows = 7;
// Without a check digit, a short read is too easily found in other marks.
constexpr int kMinDigits = 3;

struct Scale {
  float narrow = 0;
  float wide = 0;
  float space = 0;  // a narrow space
  bool NarrowSpace(float width) const {
    return width >= kMinSpace * space && width <= kMaxSpace * space;
  }
  float Threshold() const { return (narrow + wide) / 2; }
};

// The bars at i, i+2, ... (count of them) as bits, 1 = wide; every bar within
// its class's bounds and every space between them narrow. -1 otherwise.
int BarBits(const RunRow& row, std::size_t i, int count, const Scale& scale) {
  int bits = 0;
  for (int k = 0; k < count; ++k) {
    const std::size_t bar = i + 2 * static_cast<std::size_t>(k);
    const float width = row.widths[bar];
    const bool wide = width > scale.Threshold();
    if (width < kMinElement * scale.narrow || width > kMaxRatio * scale.narrow) return -1;
    bits = bits << 1 | (wide ? 1 : 0);
    if (k + 1 < count && !scale.NarrowSpace(row.widths[bar + 1])) return -1;
  }
  return bits;
}

int DigitOf(int bits) {
  for (std::size_t d = 0; d < kDigitBars.size(); ++d) {
    if (kDigitBars[d] == bits) return static_cast<int>(d);
  }
  return -1;
}

// The mean narrow and wide bar of the bars at i, i+2, ... given as bits.
void Rescale(const RunRow& row, std::size_t i, int count, int bits, Scale& scale) {
  float narrow = 0, wide = 0;
  int narrows = 0, wides = 0;
  for (int k = 0; k < count; ++k) {
    const float width = row.widths[i + 2 * static_cast<std::size_t>(k)];
    if (bits >> (count - 1 - k) & 1) {
      wide += width, ++wides;
    } else {
      narrow += width, ++narrows;
    }
  }
  if (narrows > 0) scale.narrow = narrow / static_cast<float>(narrows);
  if (wides > 0) scale.wide = wide / static_cast<float>(wides);
}

// The symbol whose start's first bar is run i, if one is there.
bool ReadFrom(const RunRow& row, std::size_t i, std::vector<LineRead>& out, std::size_t& next) {
  const std::size_t count = row.widths.size();
  if (i + 6 >= count) return false;
  Scale scale{row.widths[i + 4], (row.widths[i] + row.widths[i + 2]) / 2,
              (row.widths[i + 1] + row.widths[i + 3]) / 2};
  if (scale.narrow <= 0 || scale.wide < kMinRatio * scale.narrow ||
      scale.wide > kMaxRatio * scale.narrow || scale.space < kMinSpaceToBar * scale.narrow ||
      scale.space > kMaxSpaceToBar * scale.narrow ||
      !QuietZone(row, i - 1, kQuietNarrows * scale.narrow) ||
      BarBits(row, i, 3, scale) != kStartBars || !scale.NarrowSpace(row.widths[i + 5])) {
    return false;
  }
  std::vector<UInt8> digits;
  // Each step reads five bars and the space after them; the stop is three
  // bars and a quiet zone. Every step moves on, so the work is bounded by the
  // number of runs.
  for (std::size_t j = i + 6; j + 5 < count; j += 10) {
    if (BarBits(row, j, 3, scale) == kStopBars &&
        QuietZone(row, j + 5, kQuietNarrows * scale.narrow)) {
      if (static_cast<int>(digits.size()) < kMinDigits) return false;
      out.push_back({Symbology::Standard2of5, 0, std::move(digits), row.starts[i],
                     row.starts[j + 4] + row.widths[j + 4], false});
      next = j + 6;
      return true;
    }
    if (j + 9 >= count) return false;
    const int bits = BarBits(row, j, 5, scale);
    const int digit = bits < 0 ? -1 : DigitOf(bits);
    if (digit < 0 || !scale.NarrowSpace(row.widths[j + 9])) return false;
    digits.push_back(static_cast<UInt8>('0' + digit));
    Rescale(row, j, 5, bits, scale);
    if (scale.wide < kMinRatio * scale.narrow || scale.wide > kMaxRatio * scale.narrow)
      return false;
  }
  return false;
}

void ReadForward(const RunRow& row, std::vector<LineRead>& out) {
  ReadAtEveryBar(row, out, ReadFrom);
}

}  // namespace

void ReadStandard2of5(const RunRow& row, std::vector<LineRead>& out) {
  ReadBothWays(row, out, ReadForward);
}

}  // namespace vexo::engine
