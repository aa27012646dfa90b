#pragma once
// Stacked GS1 DataBar: DataBar Stacked and Stacked Omnidirectional (the two
// halves of a DataBar symbol in two rows) and DataBar Expanded Stacked (the
// pairs of an Expanded symbol in 2 to 11 rows), read from the rows found
// above each other on the page. A symbol whose halves or pairs all lie on one
// line is a single-row symbol and is left to the library's DataBar reader.

#include <vector>

#include "engine/core/ViewReader.h"

namespace vexo::engine {

// Reads the stacked DataBar symbols of the view. Never throws.
std::vector<Detection> ReadStackedDataBar(const LumaView& view, const ViewSettings& settings);

ViewReader StackedDataBarReader();

// Every stacked DataBar symbol in `area`: read as it stands, or, when none is
// found so and the bars lean, turned upright (corners in `area`'s
// coordinates all the same).
std::vector<Detection> StackedDataBarsAround(const LumaView& area);

}  // namespace vexo::engine
