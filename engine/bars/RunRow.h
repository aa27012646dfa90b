#pragma once
// What our width-based decoders share: the runs of one scan line and what a
// decoder reads on it. The scanner (engine/bars) fills a RunRow from a line
// of a view; each decoder of engine/linear reads the runs of one line and
// reports what it found there; the bars reader joins the lines that agree.
//
// Positions are along the scan line, in view pixels from the line's start
// (x for a row, y for a column).

#include <vector>

#include "Common/Types.h"
#include "engine/core/Symbology.h"

namespace vexo::engine {

struct RunRow {
  // Run widths in pixels (sub-pixel), alternately light and dark, the first
  // light: the stretch before the first bar, which may be cut short by the
  // start of the line.
  std::vector<float> widths;
  // Where each run starts; starts.size() == widths.size().
  std::vector<float> starts;
  float length = 0;  // of the whole line
};

// What one decoder read on one line.
struct LineRead {
  Symbology symbology = Symbology::Count;
  UInt32 code = 0;  // 0: the symbology's own code
  std::vector<UInt8> content;
  // The symbol on the line: from the start of its first bar to the end of its
  // last bar, begin < end, in line positions whatever the reading direction.
  float begin = 0;
  float end = 0;
  // The symbol reads from the end of the line towards its start (it is
  // upside down in the view).
  bool reversed = false;
  // The bars must be at least this high (in lines) for the symbol to be
  // kept: the decoder's own bound from what it measured, 0 for none.
  float minHeight = 0;
};

// A decoder reads every symbol of its symbology on the line, in both
// directions. It never throws and bounds its work by the number of runs.
using RowDecoder = void (*)(const RunRow& row, std::vector<LineRead>& out);

}  // namespace vexo::engine
