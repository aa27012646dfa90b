#pragma once
// Symbols as module rows from `zint --dump`, and scan-line runs drawn from
// them, for the tests of our width-based decoders.

#include <string>
#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::test {

// The rows of modules ('1' dark) that `zint -b <args> --dump` gives for each
// input, one symbol of `rowsPerSymbol` rows per input (zint's batch mode).
std::vector<std::vector<std::string>> DumpSymbols(const std::string& args,
                                                  const std::vector<std::string>& inputs,
                                                  std::size_t rowsPerSymbol = 1);

// Element widths in modules along a module row, the first light.
std::vector<int> Elements(const std::string& modules);

// A scan line over a module row: `quiet` light modules on each side, each
// module `module` pixels wide.
engine::RunRow RowOf(const std::string& modules, float module, int quiet = 10);

}  // namespace vexo::test
