#pragma once
// Geometry on luminance images: quarter turns, rotation by any angle, 2x
// reduction and cropping. Each returns a new image and keeps the resolution
// (swapped by quarter turns, halved by the reduction). Angles are in degrees,
// counter-clockwise as seen on the page (y grows downwards), as everywhere in
// the engine. They may throw std::bad_alloc.

#include "Common/Types.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

LumaImage Rotate90(const LumaImage& source);  // the right column becomes the top row
LumaImage Rotate180(const LumaImage& source);
LumaImage Rotate270(const LumaImage& source);  // the left column becomes the top row

// The geometry of turning a width x height image by `degrees` about its
// centre onto the smallest canvas that holds all of it. Multiples of 90
// degrees are exact and match the quarter turns.
class AngleRotation {
 public:
  AngleRotation(Int32 sourceWidth, Int32 sourceHeight, double degrees);

  Int32 Width() const { return width_; }
  Int32 Height() const { return height_; }
  // The source position (continuous: pixel (i, j) covers [i, i+1) x [j, j+1))
  // shown at target position (x, y): the turn undone, in place.
  void ToSource(double& x, double& y) const;

 private:
  double cos_ = 1;
  double sin_ = 0;
  double sourceCentreX_ = 0, sourceCentreY_ = 0;
  double targetCentreX_ = 0, targetCentreY_ = 0;
  Int32 width_ = 0;
  Int32 height_ = 0;
};

// Turns `source` by `degrees` about its centre onto the smallest canvas that
// holds all of it (AngleRotation), with bilinear sampling; canvas areas outside the source get
// `fill` (white by default, the page background). Multiples of 90 degrees are
// exact and match the quarter turns.
LumaImage RotateByAngle(const LumaImage& source, double degrees, UInt8 fill = 255);

// Halves both sides (rounding up); each pixel is the mean of its 2x2 block,
// or of the part of the block inside the image at an odd edge.
LumaImage Downscale2x(const LumaImage& source);

// The part of `source` inside the rectangle; the rectangle is clipped to the
// image, and an empty intersection gives a 0 x 0 image.
LumaImage Crop(const LumaImage& source, Int32 left, Int32 top, Int32 width, Int32 height);

}  // namespace vexo::engine
