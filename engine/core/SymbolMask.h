#pragma once
// Symbols found in a view hold no other symbol: the readers after the one
// that found them may read the view with them painted over as paper, which
// their line scans pass over quickly.

#include <array>
#include <vector>

#include "engine/core/Geometry.h"
#include "engine/core/LumaView.h"
#include "engine/core/Symbology.h"

namespace vexo::engine {

using SymbolOutline = std::array<PointD, 4>;

// Symbologies whose reads are settled by error correction or a strong check
// (Code 128's start, stop and check character), and whose reported corners
// are the symbol's own outline.
SymbologySet MaskedSymbologies();

// A copy of `view` with every pixel whose centre lies inside one of the
// outlines (view coordinates, either winding) set to paper white.
LumaImage WithoutSymbols(const LumaView& view, const std::vector<SymbolOutline>& outlines);

}  // namespace vexo::engine
