#pragma once
// Code 11: digits and "-", with one (C) or two (C and K) check characters.

#include <vector>

#include "Common/Types.h"
#include "engine/bars/RunRow.h"

namespace vexo::engine {

// Every Code 11 symbol on the line, read both ways. Reads whose check
// characters do not verify are given only from four characters on.
void ReadCode11(const RunRow& row, std::vector<LineRead>& out);

// The characters end in a C check, or in a C and a K check, that verify.
bool Code11CheckVerifies(const std::vector<UInt8>& characters);

}  // namespace vexo::engine
