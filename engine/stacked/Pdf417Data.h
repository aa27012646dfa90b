#pragma once
// The data codewords of a PDF417-family symbol to the bytes they encode: text,
// byte and numeric compaction with their latches and shifts, ECI designators,
// the Code 128 emulation and FNC1 markers of the first codeword, and the Macro
// (structured append) control block, which is read and checked but adds no
// content: each symbol of a sequence reports its own data.

#include <optional>
#include <span>
#include <vector>

#include "Common/Types.h"

namespace vexo::engine::pdf417 {

struct DecodedData {
  std::vector<UInt8> bytes;
  bool gs1 = false;         // FNC1 in first position: a GS1 element string
  bool macro = false;       // part of a structured-append sequence
  Int32 segmentIndex = -1;  // its index in the sequence, when macro
};

// Nothing when the codewords break a rule of the encodation (a reserved
// codeword, a byte value out of range, a truncated designator): a wrong read
// is worse than none.
std::optional<DecodedData> DecodeData(std::span<const int> codewords);

}  // namespace vexo::engine::pdf417
