#pragma once
// Industrial 2 of 5 (Code S25): digits in the bars only.

#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::engine {

// Every Industrial 2 of 5 symbol on the line, read both ways.
void ReadStandard2of5(const RunRow& row, std::vector<LineRead>& out);

}  // namespace vexo::engine
