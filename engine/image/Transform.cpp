#include "engine/image/Transform.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vexo::engine {
namespace {

constexpr double kDegreesPerTurn = 360.0;
constexpr double kQuarterTurn = 90.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kSizeSlack = 1e-9;  // keeps exact canvas sizes from rounding up

LumaImage BlankLike(const LumaImage& source, Int32 width, Int32 height) {
  LumaImage image;
  image.width = width;
  image.height = height;
  image.xDpi = source.xDpi;
  image.yDpi = source.yDpi;
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  return image;
}

// A turn by 90 degrees, or by 270 when `threeQuarters`.
LumaImage QuarterTurn(const LumaImage& source, bool threeQuarters) {
  LumaImage image = BlankLike(source, source.height, source.width);
  std::swap(image.xDpi, image.yDpi);
  for (Int32 y = 0; y < source.height; ++y) {
    const UInt8* row = source.Row(y);
    for (Int32 x = 0; x < source.width; ++x) {
      // 90: source column x becomes target row width - 1 - x; 270: row x.
      if (threeQuarters) {
        image.Row(x)[source.height - 1 - y] = row[x];
      } else {
        image.Row(source.width - 1 - x)[y] = row[x];
      }
    }
  }
  return image;
}

// Bilinear sample at pixel-index coordinates (centre of pixel (0, 0) at 0, 0);
// `fill` outside the image's area.
UInt8 Sample(const LumaImage& source, double fx, double fy, UInt8 fill) {
  if (fx < -0.5 || fy < -0.5 || fx > source.width - 0.5 || fy > source.height - 0.5) return fill;
  const double floorX = std::floor(fx);
  const double floorY = std::floor(fy);
  const double tx = fx - floorX;
  const double ty = fy - floorY;
  const Int32 x0 = std::clamp(static_cast<Int32>(floorX), 0, source.width - 1);
  const Int32 y0 = std::clamp(static_cast<Int32>(floorY), 0, source.height - 1);
  const Int32 x1 = std::min(x0 + 1, source.width - 1);
  const Int32 y1 = std::min(y0 + 1, source.height - 1);
  const UInt8* top = source.Row(y0);
  const UInt8* bottom = source.Row(y1);
  const double upper = top[x0] + (top[x1] - top[x0]) * tx;
  const double lower = bottom[x0] + (bottom[x1] - bottom[x0]) * tx;
  return static_cast<UInt8>(std::lround(std::clamp(upper + (lower - upper) * ty, 0.0, 255.0)));
}

}  // namespace

AngleRotation::AngleRotation(Int32 sourceWidth, Int32 sourceHeight, double degrees) {
  // Reduced to (-360, 0], the range the turned pixels have always been
  // computed in (the last bits of the sines depend on it).
  double reduced = std::fmod(degrees, kDegreesPerTurn);
  if (reduced > 0) reduced -= kDegreesPerTurn;
  if (std::fmod(reduced, kQuarterTurn) == 0) {
    // Exact values for quarter turns, so they land on whole pixels.
    constexpr double kCos[] = {1, 0, -1, 0};
    constexpr double kSin[] = {0, 1, 0, -1};
    const int quarter = (static_cast<int>(reduced / kQuarterTurn) + 4) % 4;
    cos_ = kCos[quarter];
    sin_ = kSin[quarter];
  } else {
    cos_ = std::cos(reduced * kPi / 180.0);
    sin_ = std::sin(reduced * kPi / 180.0);
  }
  const double w = std::max(sourceWidth, 0);
  const double h = std::max(sourceHeight, 0);
  if (w > 0 && h > 0) {
    width_ = static_cast<Int32>(std::ceil(w * std::abs(cos_) + h * std::abs(sin_) - kSizeSlack));
    height_ = static_cast<Int32>(std::ceil(w * std::abs(sin_) + h * std::abs(cos_) - kSizeSlack));
  }
  sourceCentreX_ = w / 2;
  sourceCentreY_ = h / 2;
  targetCentreX_ = width_ / 2.0;
  targetCentreY_ = height_ / 2.0;
}

void AngleRotation::ToSource(double& x, double& y) const {
  const double dx = x - targetCentreX_;
  const double dy = y - targetCentreY_;
  x = sourceCentreX_ + cos_ * dx - sin_ * dy;
  y = sourceCentreY_ + sin_ * dx + cos_ * dy;
}

LumaImage Rotate90(const LumaImage& source) { return QuarterTurn(source, false); }

LumaImage Rotate270(const LumaImage& source) { return QuarterTurn(source, true); }

LumaImage Rotate180(const LumaImage& source) {
  LumaImage image = source;
  std::reverse(image.pixels.begin(), image.pixels.end());
  return image;
}

LumaImage RotateByAngle(const LumaImage& source, double degrees, UInt8 fill) {
  const AngleRotation rotation(source.width, source.height, degrees);
  LumaImage image = BlankLike(source, rotation.Width(), rotation.Height());
  for (Int32 y = 0; y < image.height; ++y) {
    UInt8* row = image.Row(y);
    for (Int32 x = 0; x < image.width; ++x) {
      double sx = x + 0.5, sy = y + 0.5;
      rotation.ToSource(sx, sy);
      row[x] = Sample(source, sx - 0.5, sy - 0.5, fill);
    }
  }
  return image;
}

LumaImage Downscale2x(const LumaImage& source) {
  LumaImage image = BlankLike(source, (source.width + 1) / 2, (source.height + 1) / 2);
  image.xDpi = source.xDpi / 2;
  image.yDpi = source.yDpi / 2;
  for (Int32 y = 0; y < image.height; ++y) {
    const Int32 sy = 2 * y;
    const bool twoRows = sy + 1 < source.height;
    const UInt8* top = source.Row(sy);
    const UInt8* bottom = source.Row(twoRows ? sy + 1 : sy);
    UInt8* row = image.Row(y);
    for (Int32 x = 0; x < image.width; ++x) {
      const Int32 sx = 2 * x;
      const bool twoColumns = sx + 1 < source.width;
      const Int32 sx1 = twoColumns ? sx + 1 : sx;
      // Repeating the edge pixel when the block is cut keeps the mean of what is inside.
      const UInt32 sum = top[sx] + top[sx1] + bottom[sx] + bottom[sx1];
      row[x] = static_cast<UInt8>((sum + 2) / 4);
    }
  }
  return image;
}

LumaImage Crop(const LumaImage& source, Int32 left, Int32 top, Int32 width, Int32 height) {
  const Int64 x0 = std::max<Int64>(left, 0);
  const Int64 y0 = std::max<Int64>(top, 0);
  const Int64 x1 = std::min<Int64>(Int64{left} + std::max(width, 0), source.width);
  const Int64 y1 = std::min<Int64>(Int64{top} + std::max(height, 0), source.height);
  if (x1 <= x0 || y1 <= y0) return BlankLike(source, 0, 0);
  LumaImage image = BlankLike(source, static_cast<Int32>(x1 - x0), static_cast<Int32>(y1 - y0));
  for (Int32 y = 0; y < image.height; ++y) {
    const UInt8* from = source.Row(static_cast<Int32>(y0) + y) + x0;
    std::copy(from, from + image.width, image.Row(y));
  }
  return image;
}

}  // namespace vexo::engine
