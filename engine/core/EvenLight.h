#pragma once
// Light falling off across a photographed page: the paper's brightness,
// measured cell by cell, and the page divided by it, so that the blob
// search's one threshold separates ink from paper everywhere and every view
// sees its symbols on white.

#include <optional>
#include <vector>

#include "Common/Types.h"
#include "engine/core/LumaView.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

// The paper's brightness, one value per cell of kCell x kCell pixels of the
// view it was measured on.
struct PaperLightGrid {
  static constexpr Int32 kCell = 8;
  Int32 width = 0;  // cells
  Int32 height = 0;
  std::vector<double> values;  // row-major
};

// The paper's light of `view`: each cell's mean, the brightest within a few
// cells (a symbol of small modules has paper around it), the darkest of
// those within as many (so that a sharp edge of shadow stays sharp),
// smoothed.
PaperLightGrid PaperLight(const LumaView& view);

// How evenly the paper is lit: the darkest tenth of the cells' light over the
// brightest tenth's (1 for an even scan).
double LightEvenness(const PaperLightGrid& light);

// `view` with each pixel divided by the paper's light (interpolated between
// cell centres), the paper brought near white. Dark cells are lifted at most
// three times, so that the noise of a shadow stays below the ink.
LumaImage EvenedLight(const LumaView& view, const PaperLightGrid& light);

// The area evened when its paper's light falls by more than a fifth across
// it; nothing for an evenly lit scan or a small image.
std::optional<LumaImage> EvenedIfUneven(const LumaView& area);

}  // namespace vexo::engine
