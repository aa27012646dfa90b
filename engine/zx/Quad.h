#pragma once
// Quadrilaterals of symbols in view coordinates, and the few measurements on
// the view's pixels that complete what the library reports for linear codes.

#include <array>
#include <cstddef>
#include <vector>

#include "Common/Types.h"
#include "engine/core/Geometry.h"

namespace vexo::engine {

// Top-left, top-right, bottom-right, bottom-left as the symbol is read. The
// library reports whole pixel positions, and every quad made here is rounded
// to whole pixels too, since the measurements below address the view's pixels.
using Quad = std::array<PointD, 4>;

struct GrayView {
  const UInt8* pixels = nullptr;
  Int32 width = 0;
  Int32 height = 0;
  Int32 rowStride = 0;

  // White outside the view.
  UInt8 At(Int32 x, Int32 y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 255;
    return pixels[static_cast<std::ptrdiff_t>(y) * rowStride + x];
  }
};

bool IsEmpty(const Quad& quad);
// Two corners at one point, or hardly any area between the four: no symbol
// has such an outline.
bool IsDegenerate(const Quad& quad);
PointD Center(const Quad& quad);      // truncated to whole pixels
double TopLength(const Quad& quad);   // |top-right - top-left|
double LeftLength(const Quad& quad);  // |bottom-left - top-left|

// A linear read reports the first and last scan line it was seen on, which
// may be its bottom and top; turns it so that the bottom edge lies below the
// top edge as the symbol is read.
Quad OrientLinear(const Quad& quad);

// The rectangle, in the reading frame of `a`, that holds both quads.
Quad Enclose(const Quad& a, const Quad& b);

// Stretches a band of scan lines across a linear symbol to every line that
// repeats the bars of its neighbour, so that it covers the symbol's height.
Quad GrowLinearBand(const GrayView& view, const Quad& band);

// Where the add-on of an EAN/UPC symbol lies: the gap after `main` (measured
// on the view, `minGapModules` when it cannot be seen) and `addOnModules`
// modules; its height is that of `addOnBand`, the lines the add-on was read on.
Quad AddOnQuad(const GrayView& view, const Quad& main, Int32 mainModules, const Quad& addOnBand,
               Int32 addOnModules, Int32 minGapModules);

// The bounding box of the view's dark pixels; empty when there are none.
Quad DarkBoundingBox(const GrayView& view);

// Paints the quad, grown by `margin` pixels on every side, white.
void PaintWhite(std::vector<UInt8>& pixels, Int32 width, Int32 height, const Quad& quad,
                double margin);

}  // namespace vexo::engine
