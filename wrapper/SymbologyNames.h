#pragma once
// Display names of the engine's symbology codes, as the result document shows
// them under "type".

#include <string>

#include "Common/Types.h"

namespace vexo {

// The name of `code`; the empty string for a code that has no name.
std::string GetBarcodeTypeName(UInt32 code);

}  // namespace vexo
