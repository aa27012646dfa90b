#pragma once
// Planet, the US Postal Service's two-height tracking code.

#include <span>
#include <vector>

#include "Common/Types.h"
#include "engine/bars/BarHeights.h"

namespace vexo::engine {

// The 11 or 13 digits without the check digit (62 or 72 bars), in reading
// order. False, content untouched, when the bars are not a valid Planet
// symbol.
bool DecodePlanet(std::span<const BarState> bars, std::vector<UInt8>& content);

}  // namespace vexo::engine
