#pragma once
// Derived views of a page for the reading passes: a crop (no copy), a half
// size copy, a copy turned by 270 degrees and a copy turned by any angle.
// Each copy comes with the map from its coordinates back to its source.
// Angles are counter-clockwise as seen on the page (y down).

#include "engine/core/LumaView.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

struct DerivedImage {
  LumaImage image;
  AffineMap toSource;
};

// The part of `view` in [left, left+width) x [top, top+height); the caller
// keeps the rectangle inside the view.
LumaView CropView(const LumaView& view, Int32 left, Int32 top, Int32 width, Int32 height);

// A copy of the part of `view` in [left, left+width) x [top, top+height),
// white where that rectangle leaves the view, inside a white border of
// `margin` pixels.
DerivedImage CropPadded(const LumaView& view, Int32 left, Int32 top, Int32 width, Int32 height,
                        Int32 margin = 0);

// Each pixel the mean of a 2x2 block; an odd last row or column is dropped.
DerivedImage HalveView(const LumaView& view);

// Each pixel the mean of a factor x factor block (an area filter, so that a
// photo's noise averages out instead of aliasing); a last partial row or
// column of blocks is dropped. A factor below 2 gives a plain copy.
DerivedImage ReduceView(const LumaView& view, Int32 factor);

// The view with dark and light exchanged (light symbols on a dark ground
// become dark on light); the same coordinates.
DerivedImage NegativeView(const LumaView& view);

// The view seen in a mirror: its right column becomes the left one.
DerivedImage MirrorView(const LumaView& view);

// The view turned by 270 degrees, copied without sampling: the source's left
// column becomes the copy's top row.
DerivedImage RotateBy270(const LumaView& view);

// The view turned by `degrees`, on a canvas just large enough to hold it,
// bilinear samples, white outside.
DerivedImage RotateByDegrees(const LumaView& view, double degrees);

// The same, `factor` times larger each way (bilinear: a small module keeps
// its shape instead of its pixel steps).
DerivedImage TurnedAndEnlarged(const LumaView& view, double degrees, Int32 factor);

}  // namespace vexo::engine
