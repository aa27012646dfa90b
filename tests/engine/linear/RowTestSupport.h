#pragma once
// Run rows for the decoder tests: written out in modules, or taken from the
// module rows that `zint --dump` prints.

#include <string>
#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::test {

// A row of runs given in modules ("2112..." begins with a bar), `module`
// pixels each, between light quiet zones of `quiet` modules. Ink spread
// widens every bar and narrows every space by `spread` pixels.
engine::RunRow RowOfModules(const std::string& runs, float module, float quiet = 12,
                            float spread = 0);

// The run lengths (in modules, from the first bar) of the symbol zint draws
// with `-b <args>`; empty when zint fails.
std::string ZintRuns(const std::string& args);

// The contents the decoder reads on the row, "<" before a reversed one.
std::vector<std::string> Contents(engine::RowDecoder decoder, const engine::RunRow& row);

}  // namespace vexo::test
