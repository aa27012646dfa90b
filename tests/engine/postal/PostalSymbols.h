#pragma once
// Postal symbols made by the zint command line at test time, as bar states:
// `zint --dump` prints each symbol's rows of modules (two for Post Net and
// Planet, three for the 4-state codes), so a whole table of inputs takes one
// zint run.

#include <string>
#include <vector>

#include "engine/bars/BarHeights.h"

namespace vexo::test {

// The bar states of `zint -b <type>` for each input, in order; empty when
// zint failed. Two-height symbols give Full for tall and Descender for short
// bars.
std::vector<std::vector<engine::BarState>> ZintBars(const std::string& type,
                                                    const std::vector<std::string>& inputs);

}  // namespace vexo::test
