#pragma once
// Geometry on luminance images: quarter turns, rotation by any angle, 2x
// reduction and cropping. Each returns a new image and keeps the resolution
// (swapped by quarter turns, halved by the reduction). Turns are clockwise as
// seen on screen (y grows downwards). They may throw std::bad_alloc.

#include "Common/Types.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

LumaImage RotateClockwise90(const LumaImage& source);
LumaImage Rotate180(const LumaImage& source);
LumaImage RotateClockwise270(const LumaImage& source);  // a quarter turn counterclockwise

// A point in continuous image coordinates: pixel (x, y) covers [x, x + 1) x [y, y + 1).
struct PointF {
  double x = 0;
  double y = 0;
};

// The geometry of turning a width x height image by an angle about its
// centre onto the smallest canvas that holds all of it. Multiples of 90
// degrees are exact and match the quarter-turn functions.
class AngleRotation {
 public:
  AngleRotation(Int32 sourceWidth, Int32 sourceHeight, double degreesClockwise);

  Int32 Width() const { return width_; }
  Int32 Height() const { return height_; }
  PointF ToTarget(PointF source) const;
  PointF ToSource(PointF target) const;

 private:
  double cos_ = 1;
  double sin_ = 0;
  PointF sourceCentre_;
  PointF targetCentre_;
  Int32 width_ = 0;
  Int32 height_ = 0;
};

// Turns `source` by the angle with bilinear sampling; canvas areas outside the
// source get `fill` (white by default, the page background).
LumaImage RotateByAngle(const LumaImage& source, double degreesClockwise, UInt8 fill = 255);

// Halves both sides (rounding up); each pixel is the mean of its 2x2 block,
// or of the part of the block inside the image at an odd edge.
LumaImage Downscale2x(const LumaImage& source);

// The part of `source` inside the rectangle; the rectangle is clipped to the
// image, and an empty intersection gives a 0 x 0 image.
LumaImage Crop(const LumaImage& source, Int32 left, Int32 top, Int32 width, Int32 height);

}  // namespace vexo::engine
