#pragma once
// Where in a view bars may stand: stretches of rows and columns where the
// luminance swings across the view's mid level often and closely. The
// stacked DataBar reader hands only those to the line scanner, which costs
// far more per pixel than this one pass over the view.

#include <vector>

#include "Common/Types.h"
#include "engine/core/LumaView.h"

namespace vexo::engine {

struct BarSpan {
  Int32 line = 0;  // the row (or column)
  Int32 from = 0;  // first sample along it
  Int32 to = 0;    // one past the last
};

struct SpanSearch {
  Int32 lineStep = 1;      // every lineStep-th row and column
  Int32 minCrossings = 1;  // mid-level crossings a span holds at least
  Int32 maxGap = 1;        // between crossings of one span; also kept on its sides
  bool columns = true;     // also the columns
  // Along a line, every sampleStep-th sample is looked at: a bar or space of
  // the narrowest module the scanner cuts (two pixels) still shows.
  Int32 sampleStep = 1;
};

// The spans of the view's rows and of its columns, each in line order.
void FindBarSpans(const LumaView& view, const SpanSearch& search, std::vector<BarSpan>& rows,
                  std::vector<BarSpan>& columns);

}  // namespace vexo::engine
