#pragma once
// Where on a line bars may stand: stretches where the luminance swings across
// its mid level often and closely. The stacked DataBar reader hands only
// those to the line scanner, which costs far more per pixel than this look.

#include <vector>

#include "Common/Types.h"
#include "engine/core/LumaView.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

struct BarSpan {
  Int32 from = 0;  // first sample
  Int32 to = 0;    // one past the last
};

// The spans of the `count` samples from `first` (stride 1) holding at least
// `minCrossings` mid-level crossings no further than `maxGap` apart, each
// widened by `maxGap` on both sides (the quiet zones) within the line.
void FindBarSpans(const UInt8* first, Int32 count, Int32 minCrossings, Int32 maxGap,
                  std::vector<BarSpan>& spans);

// The view with rows and columns swapped: its rows are the view's columns.
LumaImage Transposed(const LumaView& view);

}  // namespace vexo::engine
