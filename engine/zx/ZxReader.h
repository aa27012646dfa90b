#pragma once
// One read of one luminance view with the zxing-cpp library, results mapped to
// engine symbologies and content bytes. The only place that includes ZXing.

#include <vector>

#include "Common/Types.h"
#include "engine/core/ViewReader.h"

namespace vexo::engine {

// Reads every symbol of the chosen symbologies in the view. Coordinates are
// those of the view. Never throws: a library failure gives no detections.
// `stackedDataBars`, when given, finds the stacked DataBar symbols around a
// DataBar read: the library reads their rows as single-row symbols, and such
// reads are dropped (see MapReads).
std::vector<Detection> ReadWithZx(const UInt8* pixels, Int32 width, Int32 height, Int32 rowStride,
                                  const ViewSettings& settings,
                                  AreaReader stackedDataBars = nullptr);

// The library's entry in the engine's reader list.
ViewReader ZxViewReader(AreaReader stackedDataBars);

}  // namespace vexo::engine
