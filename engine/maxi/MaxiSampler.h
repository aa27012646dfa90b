#pragma once
// Maxi Code found by its bullseye and drawn again upright and clean: the
// library reads that symbol only upright, square to its view and sharp, and
// misses it turned, skewed or blurred.

#include <array>
#include <vector>

#include "engine/core/Geometry.h"
#include "engine/core/LumaView.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

struct MaxiDrawing {
  LumaImage clean;                // the symbol upright, one cell 8 x 7 pixels, in a white border
  AffineMap cleanToView;          // points of `clean` to points of the view
  std::array<PointD, 4> outline;  // the symbol's corners in the view: top-left, top-right,
                                  // bottom-right, bottom-left
};

// The Maxi Code around the bullseye the view shows, drawn once for each of
// the likeliest orientations, likeliest first; nothing when the view shows
// no bullseye.
std::vector<MaxiDrawing> DrawMaxiCode(const LumaView& view);

}  // namespace vexo::engine
