// One-track Pharmacode (Laetus): thin bars (0.5 mm) and thick bars (1.5 mm)
// one space (1.0 mm) apart. Read from the right, bar i (0 the rightmost) is
// worth 2^i when thin and 2^(i+1) when thick; the value is their sum, 3 (two
// thin bars) to 131070 (sixteen thick ones). No start, stop or check: any
// run of thin and thick strokes is a value, so every rule below is what
// keeps text, rules and hatching out.

#include "engine/linear/Pharmacode.h"

#include <algorithm>
#include <string>

#include "engine/bars/RunTools.h"

namespace vexo::engine {
namespace {

// Two bars are found everywhere ("ll", "=", a ruled cell): a value needs
// three (7 and up).
constexpr std::size_t kMinBars = 3;
constexpr std::size_t kMaxBars = 16;
// Spaces are all one width: each within these shares of their mean (blur
// and a slightly skewed line move them a little, letters' gaps much more).
constexpr float kMinSpace = 0.7f;
constexpr float kMaxSpace = 1.4f;
// Against the mean space, a thin bar is 0.5 and a thick one 1.5; ink spread
// of 0.15 mm moves them to 0.3-0.76 and 1.17-1.94. Bars between the classes
// (as wide as the spaces: hatching, dot rows) belong to neither.
constexpr float kMinThin = 0.22f;
constexpr float kMaxThin = 0.8f;
constexpr float kMinThick = 1.15f;
constexpr float kMaxThick = 2.6f;
// Thick against thin: 3 with the standard's widths, 2.3 to 4 at its
// tolerance of 0.1 mm a bar.
constexpr float kMinRatio = 2.2f;
constexpr float kMaxRatio = 4.5f;
// A bar and its space together are 1.5 mm (thin) or 2.5 mm (thick) whatever
// the ink spread: the two pitches stand 5 to 3.
constexpr float kMinPitchRatio = 1.45f;
constexpr float kMaxPitchRatio = 1.95f;
// The bars of each class are alike: each within this factor of its class's
// mean.
constexpr float kClassSpread = 1.4f;
// Quiet zones of four spaces (4 mm) on both sides: a word in a line of text
// stands about one and a half of its letters' pitches from the next.
constexpr float kQuietSpaces = 4;
// Bars at least six spaces high (6 mm, the shortest bars printed): more
// than twice the pitch of thick bars, four of thin ones. Letters with stems
// ("lll", "|||", three-stroke letters) stand four to five and a half of
// their gaps high.
constexpr float kMinHeightSpaces = 6;
// A space (1 mm) is 6 pixels at 150 dpi, 3 on a half-size copy. Finer
// spaces are print: strokes of letters, or the last bars of another symbol
// on a half-size copy, a pixel apart, which read as thick bars there.
constexpr float kMinSpacePixels = 2.5f;
constexpr float kMinThinPixels = 1;

// A light run of at least `minWidth`, even at an end of the line: unlike
// the other decoders', a short run cut by the end of the line is no quiet
// zone, since a crop's edge through a symbol of another kind leaves its
// last bars looking like a Pharmacode.
bool Quiet(const RunRow& row, std::size_t index, float minWidth) {
  return index < row.widths.size() && index % 2 == 0 && row.widths[index] >= minWidth;
}

float Mean(const std::vector<float>& values) {
  float sum = 0;
  for (const float v : values) sum += v;
  return values.empty() ? 0 : sum / static_cast<float>(values.size());
}

bool Alike(const std::vector<float>& values, float mean, float low, float high) {
  return std::all_of(values.begin(), values.end(),
                     [&](float v) { return v >= low * mean && v <= high * mean; });
}

// The bars from run `first` to run `last` (both bars) as a value, or 0.
UInt32 ValueOf(const RunRow& row, std::size_t first, std::size_t last, float& space) {
  std::vector<float> spaces, thin, thick;
  for (std::size_t i = first + 1; i < last; i += 2) spaces.push_back(row.widths[i]);
  space = Mean(spaces);
  if (space < kMinSpacePixels || !Alike(spaces, space, kMinSpace, kMaxSpace)) return 0;
  UInt32 value = 0;
  const std::size_t bars = (last - first) / 2 + 1;
  for (std::size_t k = 0; k < bars; ++k) {
    const float width = row.widths[last - 2 * k];
    const UInt32 weight = UInt32{1} << k;
    const float share = width / space;
    if (share >= kMinThin && share <= kMaxThin) {
      thin.push_back(width);
      value += weight;
    } else if (share >= kMinThick && share <= kMaxThick) {
      thick.push_back(width);
      value += 2 * weight;
    } else {
      return 0;
    }
  }
  const float thinMean = Mean(thin), thickMean = Mean(thick);
  if (!Alike(thin, thinMean, 1 / kClassSpread, kClassSpread) ||
      !Alike(thick, thickMean, 1 / kClassSpread, kClassSpread) ||
      (!thin.empty() && thinMean < kMinThinPixels)) {
    return 0;
  }
  if (!thin.empty() && !thick.empty()) {
    const float ratio = thickMean / thinMean;
    const float pitchRatio = (thickMean + space) / (thinMean + space);
    if (ratio < kMinRatio || ratio > kMaxRatio || pitchRatio < kMinPitchRatio ||
        pitchRatio > kMaxPitchRatio) {
      return 0;
    }
  }
  return value;
}

// The symbol whose first bar is run `bar`: its bars run until a light run
// too wide for a space, which must be a quiet zone.
bool ReadFrom(const RunRow& row, std::size_t bar, std::vector<LineRead>& out, std::size_t& next) {
  const std::size_t count = row.widths.size();
  if (bar + 1 >= count) return false;
  const float firstSpace = row.widths[bar + 1];
  if (!Quiet(row, bar - 1, kQuietSpaces * firstSpace)) return false;
  std::size_t last = bar;
  // One bar more than the most, so that a longer run of bars is refused whole.
  while (last + 2 < count && row.widths[last + 1] <= kMaxSpace * firstSpace &&
         (last - bar) / 2 + 1 <= kMaxBars) {
    last += 2;
  }
  const std::size_t bars = (last - bar) / 2 + 1;
  next = last + 2;
  if (bars < kMinBars || bars > kMaxBars || last + 1 >= count) return false;
  float space = 0;
  const UInt32 value = ValueOf(row, bar, last, space);
  if (value == 0 || !Quiet(row, last + 1, kQuietSpaces * space) ||
      !Quiet(row, bar - 1, kQuietSpaces * space)) {
    return false;
  }
  const std::string digits = std::to_string(value);
  LineRead read{Symbology::PharmaCode,
                0,
                std::vector<UInt8>(digits.begin(), digits.end()),
                row.starts[bar],
                row.starts[last] + row.widths[last],
                false};
  read.minHeight = kMinHeightSpaces * space;
  out.push_back(std::move(read));
  return true;
}

}  // namespace

void ReadPharmacode(const RunRow& row, std::vector<LineRead>& out) {
  ReadAtEveryBar(row, out, ReadFrom);
}

}  // namespace vexo::engine
