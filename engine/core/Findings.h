#pragma once
// Symbols found on the page, gathered over all passes: merged so that each
// symbol is reported once, and put in a fixed order.

#include <array>
#include <vector>

#include "Common/Types.h"
#include "engine/core/LumaView.h"
#include "engine/core/Symbology.h"

namespace vexo::engine {

struct Finding {
  Symbology symbology = Symbology::Count;
  UInt32 code = 0;
  std::vector<UInt8> content;
  std::array<PointD, 4> corners;  // page coordinates, in reading order
};

struct Box {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

Box BoxOf(const Finding& finding);
bool Inside(const Box& box, PointD point);
// Whether the boxes, each grown by `tolerance` pixels, meet.
bool Overlap(const Box& a, const Box& b, double tolerance = 0);

// Adds `candidate` to `accepted` (which holds the findings of earlier passes
// first) unless it repeats one of them. Boxes grown by `tolerance` pixels that
// overlap, with the same symbology, mean the same symbol when:
//   - the contents are equal: the earlier finding stays;
//   - one content is part of the other (a partial read, as a skewed scan line
//     gives for Interleaved 2 of 5): the longer one stays, in the earlier's
//     place.
// An Interleaved 2 of 5 or UPC-E finding whose centre lies on a finding of
// another symbology is dropped, whichever came first: the library finds these
// weakly checked symbologies in the bars of other symbols. Returns true when the candidate was added or replaced an earlier finding.
bool MergeFinding(std::vector<Finding>& accepted, Finding candidate, double tolerance);

// Top, then left (of the bounding boxes, rounded to pixels), then code, then
// content.
void SortFindings(std::vector<Finding>& findings);

// The angle of the top edge (first corner to second) from the x axis in
// hundredths of a degree, counter-clockwise as seen on the page (y down):
// 0 upright, 9000 a quarter turn counter-clockwise, -9000 a quarter turn
// clockwise, 18000 upside down; the range is (-18000, 18000].
Int32 AngleOf(const Finding& finding);

}  // namespace vexo::engine
