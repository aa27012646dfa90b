#pragma once
// Translation of the request's search settings into the engine's reader
// options: symbology codes with their feature mask, direction flags and the
// profile index.

#include <vector>

#include "Common/Types.h"

namespace vexo {

struct SymbologySelection {
  std::vector<UInt32> codes;  // in the order of the group table
  UInt32 featureMask = 0;
};

// Codes and feature bits of every group bit set in `searchTypeGroups`; bits
// without a group are ignored.
SymbologySelection SelectSymbologies(UInt32 searchTypeGroups);

// Bits 0, 1 and 2 of `searchDirections` become 0x20, 0x40 and 0x80.
UInt32 DirectionFlags(UInt32 searchDirections);

// Profiles 2, 3 and 4 select engine profiles 1, 2 and 3; any other value 0.
UInt32 ProfileIndex(Int32 profile);

}  // namespace vexo
