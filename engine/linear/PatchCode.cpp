// Patch Code, the document separator patches: four bars, each wide (0.20 in)
// or narrow (0.08 in), 0.08 in apart, about 2.5 in long; two bars are wide
// and two narrow, and which ones names the patch. There is no check: the
// fixed geometry is the only proof, so each rule below is strict.

#include "engine/linear/PatchCode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "engine/bars/RunTools.h"

namespace vexo::engine {
namespace {

struct Pattern {
  UInt8 wide;  // the wide bars, first bar in the highest bit
  char name;
  char mirror;  // the name of the pattern read the other way
};
constexpr std::array<Pattern, 6> kPatterns{{
    {0b1100, '1', '6'},
    {0b1001, '2', '2'},
    {0b1010, '3', 'T'},
    {0b0110, '4', '4'},
    {0b0011, '6', '1'},
    {0b0101, 'T', '3'},
}};

constexpr std::size_t kBars = 4;
// Wide against narrow: 2.5; blur and ink spread move it a little.
constexpr float kMinRatio = 1.8f;
constexpr float kMaxRatio = 3.5f;
// The two bars of a class, and the three spaces, are alike.
constexpr float kClassSpread = 1.3f;
constexpr float kSpaceSpread = 1.45f;
// A space is a narrow bar's width; ink spread and blur move the two apart.
constexpr float kMinSpaceToNarrow = 0.5f;
constexpr float kMaxSpaceToNarrow = 2.0f;
// A patch at 150 dpi on a half-size copy still has 6-pixel narrow bars;
// finer strokes are print, not a patch.
constexpr float kMinNarrowPixels = 3;
// Quiet zones of five narrow bars (0.4 in, two wide bars) on both sides:
// wider than any space inside a symbol of another kind (the wide spaces of
// Interleaved 2 of 5 are three narrow bars), whose bars would otherwise
// give patches.
constexpr float kQuietNarrows = 5;

// The patch whose first bar is run `bar`, if one is there.
bool ReadFrom(const RunRow& row, std::size_t bar, std::vector<LineRead>& out, std::size_t& next) {
  const std::size_t last = bar + 2 * (kBars - 1);
  if (last + 1 >= row.widths.size()) return false;
  std::array<float, kBars> bars{};
  for (std::size_t k = 0; k < kBars; ++k) bars[k] = row.widths[bar + 2 * k];
  std::array<float, kBars> sorted = bars;
  std::sort(sorted.begin(), sorted.end());
  const float narrow = (sorted[0] + sorted[1]) / 2;
  const float wide = (sorted[2] + sorted[3]) / 2;
  const float spaces[] = {row.widths[bar + 1], row.widths[bar + 3], row.widths[bar + 5]};
  const auto [minSpace, maxSpace] = std::minmax({spaces[0], spaces[1], spaces[2]});
  const float space = (spaces[0] + spaces[1] + spaces[2]) / 3;
  if (narrow < kMinNarrowPixels || wide < kMinRatio * narrow || wide > kMaxRatio * narrow ||
      sorted[1] > kClassSpread * sorted[0] || sorted[3] > kClassSpread * sorted[2] ||
      maxSpace > kSpaceSpread * minSpace || space < kMinSpaceToNarrow * narrow ||
      space > kMaxSpaceToNarrow * narrow || !QuietZone(row, bar - 1, kQuietNarrows * narrow) ||
      !QuietZone(row, last + 1, kQuietNarrows * narrow)) {
    return false;
  }
  const float threshold = (sorted[1] + sorted[2]) / 2;
  UInt8 wideBits = 0;
  for (const float width : bars) wideBits = static_cast<UInt8>(wideBits << 1 | (width > threshold));
  const auto pattern = std::find_if(kPatterns.begin(), kPatterns.end(),
                                    [&](const Pattern& p) { return p.wide == wideBits; });
  if (pattern == kPatterns.end()) return false;
  out.push_back({Symbology::PatchCode,
                 0,
                 {static_cast<UInt8>(pattern->name)},
                 row.starts[bar],
                 row.starts[last] + row.widths[last],
                 false});
  next = last + 2;
  return true;
}

// How far the page reaches from `from` in `direction` (a unit vector).
double ToPageEdge(PointD from, PointD direction, double width, double height) {
  double reach = std::numeric_limits<double>::max();
  if (direction.x > 0) reach = std::min(reach, (width - from.x) / direction.x);
  if (direction.x < 0) reach = std::min(reach, -from.x / direction.x);
  if (direction.y > 0) reach = std::min(reach, (height - from.y) / direction.y);
  if (direction.y < 0) reach = std::min(reach, -from.y / direction.y);
  return reach;
}

}  // namespace

void ReadPatchCode(const RunRow& row, std::vector<LineRead>& out) {
  ReadAtEveryBar(row, out, ReadFrom);
}

void ReadPatchesFromTheirEdge(std::vector<Finding>& findings, double pageWidth, double pageHeight) {
  for (Finding& finding : findings) {
    if (finding.symbology != Symbology::PatchCode || finding.content.size() != 1) continue;
    auto& c = finding.corners;
    // Read from the first bar (the side c0-c3) to the last (c1-c2).
    const PointD first{(c[0].x + c[3].x) / 2, (c[0].y + c[3].y) / 2};
    const PointD last{(c[1].x + c[2].x) / 2, (c[1].y + c[2].y) / 2};
    const double length = std::hypot(last.x - first.x, last.y - first.y);
    if (!(length > 0)) continue;
    const PointD along{(last.x - first.x) / length, (last.y - first.y) / length};
    const double behindFirst = ToPageEdge(first, {-along.x, -along.y}, pageWidth, pageHeight);
    const double beyondLast = ToPageEdge(last, along, pageWidth, pageHeight);
    if (beyondLast >= behindFirst) continue;
    const auto pattern = std::find_if(kPatterns.begin(), kPatterns.end(), [&](const Pattern& p) {
      return p.name == static_cast<char>(finding.content[0]);
    });
    if (pattern == kPatterns.end()) continue;
    finding.content[0] = static_cast<UInt8>(pattern->mirror);
    c = {c[2], c[3], c[0], c[1]};
  }
}

}  // namespace vexo::engine
