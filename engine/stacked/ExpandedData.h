#pragma once
// The content of GS1 DataBar Expanded data characters: 12 bits each, an
// encodation method that may compress a GTIN with a weight, price or date,
// then general-purpose data in numeric, alphanumeric and ISO/IEC 646 modes.

#include <optional>
#include <span>
#include <string>

#include "Common/Types.h"

namespace vexo::engine::databar {

// The GS1 element string of the data characters (the check character left
// out): identifiers and data, 0x1D after each variable-length field that is
// not the last. Empty when the bits do not decode.
std::optional<std::string> ExpandedElementString(std::span<const Int32> characters);

}  // namespace vexo::engine::databar
