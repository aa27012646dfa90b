#pragma once
// GS1 DataBar Limited on one scan line: a RowDecoder for the bars reader.
// Content: "01" and the 14 digits of the GTIN, check digit included.

#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::engine {

void ReadDataBarLimited(const RunRow& row, std::vector<LineRead>& out);

}  // namespace vexo::engine
