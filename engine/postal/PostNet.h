#pragma once
// Post Net, the US Postal Service's two-height bar code for ZIP codes.

#include <span>
#include <vector>

#include "Common/Types.h"
#include "engine/bars/BarHeights.h"

namespace vexo::engine {

// Five bars per digit, two of them tall for Post Net, three for Planet; a
// tall frame bar at each end; a check digit that brings the digit sum to a
// multiple of ten. Reads the digits between the frame bars of `bars` (tall:
// Full, short: Descender, standing on the common foot) into `digits`, check
// digit included; false when a group is not a digit or the check fails.
bool ReadFiveBarDigits(std::span<const BarState> bars, bool planet, std::vector<UInt8>& digits);

// The 5, 9 or 11 digits without the check digit (32, 52 or 62 bars), in
// reading order. False, content untouched, when the bars are not a valid
// Post Net symbol.
bool DecodePostNet(std::span<const BarState> bars, std::vector<UInt8>& content);

}  // namespace vexo::engine
