#pragma once
// MSI Plessey: digits, with or without check digits.

#include <vector>

#include "Common/Types.h"
#include "engine/bars/RunRow.h"

namespace vexo::engine {

// Every MSI symbol on the line, read both ways. Reads of fewer than four
// digits are given only when one of the check variants verifies.
void ReadMsi(const RunRow& row, std::vector<LineRead>& out);

// The digits end in check digits of one of the usual variants: mod 10, mod 10
// twice, mod 11 (weights 2 to 7 or 2 to 9, a check of 10 written "10"), or
// mod 11 then mod 10.
bool MsiCheckVerifies(const std::vector<UInt8>& digits);

}  // namespace vexo::engine
