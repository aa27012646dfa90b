#pragma once
// The edges along one scan line of a view, turned into the bar and space
// widths that our width-based decoders read (RunRow).
//
// An edge is a stretch of the luminance profile that rises or falls by at
// least a threshold; the threshold adapts to the contrast around it (a share
// of the spread of gray levels within a few dozen pixels), so that faint
// symbols and symbols on dark paper are cut as well as crisp ones, while
// paper grain and noise below a minimum contrast make no edge. The edge lies
// where the luminance changes fastest within the stretch, placed between
// pixels by a parabola through the three steepest differences.

#include <vector>

#include "Common/Types.h"
#include "engine/bars/RunRow.h"
#include "engine/core/LumaView.h"

namespace vexo::engine {

// Below this rise or fall (gray levels) a change of luminance is no edge.
inline constexpr int kMinEdgeContrast = 20;

// The runs of row `y` (positions are x) and of column `x` (positions are y).
// A line outside the view gives an empty row.
RunRow ScanRow(const LumaView& view, Int32 y);
RunRow ScanColumn(const LumaView& view, Int32 x);

// The runs of columns first, first + step, ... (count of them, those inside
// the view). They are read row by row: neighbouring columns share the cache
// lines that reading one column at a time would load again for each.
std::vector<RunRow> ScanColumns(const LumaView& view, Int32 first, Int32 step, Int32 count);

// The runs of `count` samples `step` bytes apart from `first`.
RunRow ScanSamples(const UInt8* first, std::ptrdiff_t step, Int32 count);

}  // namespace vexo::engine
