#pragma once
// One-track Pharmacode: a number from 3 to 131070 in thin and thick bars.

#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::engine {

// Every Pharmacode on the line, read left to right only: its value is read
// from the right end (the line's end), and the bars do not show which end
// that is, so the other way would give another number at the same place.
void ReadPharmacode(const RunRow& row, std::vector<LineRead>& out);

}  // namespace vexo::engine
