#pragma once
// USPS4BC, the US Postal Service's Intelligent Mail barcode (65 bars).

#include <span>
#include <vector>

#include "Common/Types.h"
#include "engine/bars/BarHeights.h"

namespace vexo::engine {

// The 20 tracking digits followed by the 0, 5, 9 or 11 routing digits, no
// separator, in reading order; the frame check sequence is verified. False,
// content untouched, when the bars are not a valid symbol.
bool DecodeUsps4cb(std::span<const BarState> bars, std::vector<UInt8>& content);

}  // namespace vexo::engine
