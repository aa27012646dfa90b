#include "engine/core/SymbolMask.h"

#include <algorithm>
#include <cmath>

#include "engine/core/ViewTransform.h"

namespace vexo::engine {
namespace {

constexpr UInt8 kPaper = 255;

// The span [from, to) of pixel centres on row `y` inside the convex outline:
// the intersection, over its four edges, of the side each edge keeps.
bool RowSpan(const SymbolOutline& o, double y, Int32 width, Int32& from, Int32& to) {
  double area = 0;
  for (std::size_t i = 0; i < o.size(); ++i) {
    const PointD& a = o[i];
    const PointD& b = o[(i + 1) % o.size()];
    area += a.x * b.y - b.x * a.y;
  }
  if (area == 0) return false;
  const double sign = area > 0 ? 1 : -1;
  double low = -1e18, high = 1e18;
  for (std::size_t i = 0; i < o.size(); ++i) {
    const PointD& a = o[i];
    const PointD& b = o[(i + 1) % o.size()];
    // Inside: sign * cross(b - a, p - a) >= 0, linear in p.x: k * x + c >= 0.
    const double k = -sign * (b.y - a.y);
    const double c = sign * ((b.x - a.x) * (y - a.y) + (b.y - a.y) * a.x);
    if (k == 0) {
      if (c < 0) return false;
    } else if (k > 0) {
      low = std::max(low, -c / k);
    } else {
      high = std::min(high, -c / k);
    }
  }
  // Pixel x has its centre at x + 0.5.
  from = static_cast<Int32>(std::clamp(std::ceil(low - 0.5), 0.0, static_cast<double>(width)));
  to = static_cast<Int32>(std::clamp(std::floor(high - 0.5) + 1, 0.0, static_cast<double>(width)));
  return from < to;
}

}  // namespace

SymbologySet MaskedSymbologies() {
  SymbologySet set;
  for (const Symbology s :
       {Symbology::QrCode, Symbology::MicroQrCode, Symbology::DataMatrix, Symbology::Aztec,
        Symbology::Pdf417, Symbology::MicroPdf417, Symbology::Code128, Symbology::Gs1_128}) {
    set.set(Index(s));
  }
  return set;
}

LumaImage WithoutSymbols(const LumaView& view, const std::vector<SymbolOutline>& outlines) {
  LumaImage copy = CropPadded(view, 0, 0, view.width, view.height).image;
  for (const SymbolOutline& o : outlines) {
    double top = o[0].y, bottom = o[0].y;
    for (const PointD& p : o) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    const auto first = static_cast<Int32>(std::clamp(std::ceil(top - 0.5), 0.0, 1.0 * view.height));
    const auto last =
        static_cast<Int32>(std::clamp(std::floor(bottom - 0.5) + 1, 0.0, 1.0 * view.height));
    for (Int32 y = first; y < last; ++y) {
      Int32 from = 0, to = 0;
      if (RowSpan(o, y + 0.5, view.width, from, to))
        std::fill(copy.Row(y) + from, copy.Row(y) + to, kPaper);
    }
  }
  return copy;
}

}  // namespace vexo::engine
