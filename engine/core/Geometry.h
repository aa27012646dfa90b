#pragma once
// The engine's one point type and the affine map that takes a point of a
// derived view (crop, half size, turned copy) back to the page.
//
// Coordinates are continuous, with y growing downwards: pixel (i, j) covers
// [i, i+1) x [j, j+1). Angles are in degrees, counter-clockwise as seen on the
// page, as the result records report them.

namespace vexo::engine {

struct PointD {
  double x = 0;
  double y = 0;
};

// to = (xx * x + xy * y + x0, yx * x + yy * y + y0)
struct AffineMap {
  double xx = 1, xy = 0, x0 = 0;
  double yx = 0, yy = 1, y0 = 0;

  PointD Apply(PointD p) const { return {xx * p.x + xy * p.y + x0, yx * p.x + yy * p.y + y0}; }
  // The map that applies `first`, then this one.
  AffineMap After(const AffineMap& first) const {
    return {xx * first.xx + xy * first.yx, xx * first.xy + xy * first.yy,
            xx * first.x0 + xy * first.y0 + x0, yx * first.xx + yy * first.yx,
            yx * first.xy + yy * first.yy, yx * first.x0 + yy * first.y0 + y0};
  }
  // The map back; the map must not flatten the plane.
  AffineMap Inverse() const {
    const double det = xx * yy - xy * yx;
    const double ixx = yy / det, ixy = -xy / det, iyx = -yx / det, iyy = xx / det;
    return {ixx, ixy, -(ixx * x0 + ixy * y0), iyx, iyy, -(iyx * x0 + iyy * y0)};
  }
  static AffineMap Translation(double dx, double dy) { return {1, 0, dx, 0, 1, dy}; }
  static AffineMap Scale(double factor) { return {factor, 0, 0, 0, factor, 0}; }
};

}  // namespace vexo::engine
