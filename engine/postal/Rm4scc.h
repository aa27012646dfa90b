#pragma once
// RM4SCC, the Royal Mail 4-state customer code.

#include <span>
#include <vector>

#include "Common/Types.h"
#include "engine/bars/BarHeights.h"

namespace vexo::engine {

// The characters between the start and stop bars, without the checksum
// character, in reading order. False, content untouched, when the bars are
// not a valid RM4SCC symbol.
bool DecodeRm4scc(std::span<const BarState> bars, std::vector<UInt8>& content);

}  // namespace vexo::engine
