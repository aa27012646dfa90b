#pragma once
// The bar-height scanner of the postal codes. A postal symbol is a row of bars
// of one width at one pitch; what it says lies in how far each bar reaches
// above and below the band that every bar of the symbol covers (the tracker).
// The scanner finds such a row where a scan line crosses it, follows it bar by
// bar on either side (a skewed symbol leaves the line), measures each bar's
// extent across the line and sorts the extents of this one symbol into its
// own high and low groups: no fixed pixel counts.
//
// A scan line runs along the rows of a view (`along` is x, `across` is y) or
// along its columns (`along` is y, `across` is x).

#include <cstddef>
#include <vector>

#include "Common/Types.h"
#include "engine/core/LumaView.h"

namespace vexo::engine {

// The four bar states, as seen with the symbol upright: the tracker alone,
// with an ascender, with a descender, or with both (full height).
enum class BarState : UInt8 { Full, Ascender, Descender, Tracker };

// One bar: its centre and width along the line and its first and last pixel
// across it (top <= bottom in view coordinates).
struct MeasuredBar {
  float center = 0;
  float width = 0;
  float top = 0;
  float bottom = 0;
};

struct BarRun {
  std::vector<MeasuredBar> bars;  // in order along the line
  float pitch = 0;                // mean distance between bar centres
  Int32 line = 0;                 // the scan line it was found on
  float top = 0, bottom = 0;      // the highest top and lowest bottom of its bars
};

// A view seen along its rows or along its columns.
class BarRaster {
 public:
  BarRaster(const LumaView& view, bool columns)
      : pixels_(view.pixels),
        length_(columns ? view.height : view.width),
        lines_(columns ? view.width : view.height),
        alongStep_(columns ? view.stride : 1),
        acrossStep_(columns ? 1 : view.stride) {}

  Int32 Length() const { return length_; }  // pixels along a line
  Int32 Lines() const { return lines_; }    // number of lines
  UInt8 At(Int32 along, Int32 across) const {
    return pixels_[along * alongStep_ + across * acrossStep_];
  }
  bool Inside(Int32 along, Int32 across) const {
    return along >= 0 && along < length_ && across >= 0 && across < lines_;
  }

 private:
  const UInt8* pixels_;
  Int32 length_;
  Int32 lines_;
  std::ptrdiff_t alongStep_;
  std::ptrdiff_t acrossStep_;
};

// A dark segment along one line: [begin, end).
struct DarkSpan {
  Int32 begin = 0;
  Int32 end = 0;
};

// The luminance that parts ink from paper in the view (Otsu's threshold over a
// sample of its pixels): pixels below it are ink.
UInt8 InkThreshold(const LumaView& view);

// The dark spans of every `step`-th line of the raster, line index / step.
// Column rasters are swept row by row, so memory is read in order.
std::vector<std::vector<DarkSpan>> DarkSpans(const LumaView& view, bool columns, UInt8 threshold,
                                             Int32 step);

// Runs of at least `minBars` evenly pitched narrow bars that cross `line`
// where its spans `spans` lie, each followed along the symbol beyond the line
// and measured. `skip` holds runs already measured: spans inside one of them
// (on this line, within its tracker band) start nothing new.
void FindBarRuns(const BarRaster& raster, UInt8 threshold, Int32 line,
                 const std::vector<DarkSpan>& spans, Int32 minBars, const std::vector<BarRun>& skip,
                 std::vector<BarRun>& out);

// The bars of a run as states, and the symbol's outline.
struct ClassifiedRun {
  std::vector<BarState> states;
  float skew = 0;    // across pixels per along pixel
  float top = 0;     // the highest top and the lowest bottom, skew taken out,
  float bottom = 0;  // at the centre of the first bar
};

// The states of the bars of `run`, upright as they lie across the line (top
// towards smaller `across`). The skew is taken out first (the median change
// of an edge between neighbours). Then each edge of the bars is split into a
// reaching and a falling-short group where the extents form two groups
// clearly apart; an edge that does not split is reached by every bar (the
// bars of a two-height code share their foot). False when neither edge
// splits, or an edge that does not split is uneven.
bool ClassifyBars(const BarRun& run, ClassifiedRun& classified);

// The same bars with ascenders and descenders exchanged, in the same order:
// seen in a mirror along the line.
std::vector<BarState> Mirrored(std::vector<BarState> states);

// The same bars read from the other end: reversed and mirrored.
std::vector<BarState> TurnedOver(const std::vector<BarState>& states);

}  // namespace vexo::engine
