#include "engine/zx/Quad.h"

#include <algorithm>
#include <cmath>

namespace vexo::engine {
namespace {

// Square pixels within the outline of the smallest symbol the library reads.
constexpr double kMinSymbolArea = 16;
// Below this spread of gray levels a line carries no bars.
constexpr int kMinContrast = 40;
// Share of samples two neighbouring scan lines of one symbol agree on.
constexpr double kMinAgreement = 0.8;
// A line crosses the symbol while it holds at least this share of the dark
// samples of the line the growth started from.
constexpr double kMinBarShare = 0.5;
// Add-on gaps are 7 to 12 modules; search a little further for skewed reads.
constexpr double kAddOnSearchFromModules = 3.0;
constexpr double kAddOnMaxGapModules = 14.0;

struct Vec {
  double x = 0;
  double y = 0;
};

Vec Diff(PointD a, PointD b) { return {a.x - b.x, a.y - b.y}; }
double Norm(Vec v) { return std::hypot(v.x, v.y); }

// The nearest whole pixel, halves away from zero as std::lround gives it,
// without a library call: band growth samples every pixel of many lines.
Int32 Nearest(double x) {
  return x < 0 ? -static_cast<Int32>(-x + 0.5) : static_cast<Int32>(x + 0.5);
}

// Coordinates along the reading direction (u) and towards the bottom (v).
struct Frame {
  Vec origin;
  Vec d{1, 0};
  Vec n{0, 1};

  double U(PointD p) const { return (p.x - origin.x) * d.x + (p.y - origin.y) * d.y; }
  double V(PointD p) const { return (p.x - origin.x) * n.x + (p.y - origin.y) * n.y; }
  Vec ToView(double u, double v) const {
    return {origin.x + u * d.x + v * n.x, origin.y + u * d.y + v * n.y};
  }
  UInt8 Sample(const GrayView& view, double u, double v) const {
    const Vec p = ToView(u, v);
    return view.At(Nearest(p.x), Nearest(p.y));
  }
};

struct Box {
  double u0, u1, v0, v1;
};

Frame FrameOf(const Quad& q) {
  Frame f;
  f.origin = {q[0].x, q[0].y};
  Vec dir = Diff(q[1], q[0]);
  if (Norm(dir) == 0) dir = Diff(q[2], q[3]);
  if (Norm(dir) == 0) return f;
  const double len = Norm(dir);
  f.d = {dir.x / len, dir.y / len};
  f.n = {-f.d.y, f.d.x};
  return f;
}

Box BoxOf(const Frame& f, const Quad& q) {
  Box b{f.U(q[0]), f.U(q[0]), f.V(q[0]), f.V(q[0])};
  for (const PointD& p : q) {
    b.u0 = std::min(b.u0, f.U(p));
    b.u1 = std::max(b.u1, f.U(p));
    b.v0 = std::min(b.v0, f.V(p));
    b.v1 = std::max(b.v1, f.V(p));
  }
  return b;
}

PointD Round(Vec v) {
  return {static_cast<double>(std::lround(v.x)), static_cast<double>(std::lround(v.y))};
}

Quad QuadOf(const Frame& f, const Box& b) {
  return {Round(f.ToView(b.u0, b.v0)), Round(f.ToView(b.u1, b.v0)), Round(f.ToView(b.u1, b.v1)),
          Round(f.ToView(b.u0, b.v1))};
}

// One scan line across the box at height v, binarized at the middle of its
// gray levels; empty when the line has too little contrast.
std::vector<UInt8> BarLine(const GrayView& view, const Frame& f, const Box& b, double v,
                           int& threshold) {
  const int count = static_cast<int>(b.u1 - b.u0) + 1;
  std::vector<UInt8> line(static_cast<std::size_t>(count), 255);
  const auto whole = [](double x) { return x == std::floor(x) && std::abs(x) < 1e9; };
  const bool alongX = f.d.y == 0 && std::abs(f.d.x) == 1;
  const bool alongY = f.d.x == 0 && std::abs(f.d.y) == 1;
  if ((alongX || alongY) && whole(f.origin.x) && whole(f.origin.y) && whole(b.u0)) {
    // A band along the rows or the columns at whole pixels (most reads): the
    // samples are a stretch of one row or column, the pixels Sample picks
    // (its products by 0 and 1 are exact), white beyond the view.
    const auto x0 = static_cast<Int32>(alongX ? f.origin.x + b.u0 * f.d.x : 0);
    const auto y0 = static_cast<Int32>(alongY ? f.origin.y + b.u0 * f.d.y : 0);
    const Int32 x = alongX ? 0 : Nearest(f.origin.x + v * f.n.x);
    const Int32 y = alongY ? 0 : Nearest(f.origin.y + v * f.n.y);
    const auto dx = static_cast<Int32>(f.d.x), dy = static_cast<Int32>(f.d.y);
    if (dx == 1) {
      const Int32 from = std::max(x0, 0), to = std::min(x0 + count, view.width);
      if (y >= 0 && y < view.height && from < to) {
        const UInt8* row = view.pixels + static_cast<std::ptrdiff_t>(y) * view.rowStride;
        std::copy(row + from, row + to, line.begin() + (from - x0));
      }
    } else {
      for (int i = 0; i < count; ++i) {
        line[static_cast<std::size_t>(i)] =
            alongX ? view.At(x0 + i * dx, y) : view.At(x, y0 + i * dy);
      }
    }
  } else {
    for (int i = 0; i < count; ++i) {
      line[static_cast<std::size_t>(i)] = f.Sample(view, b.u0 + i, v);
    }
  }
  if (threshold < 0) {
    const auto [lo, hi] = std::minmax_element(line.begin(), line.end());
    if (*hi - *lo < kMinContrast) return {};
    threshold = (*hi + *lo) / 2;
  }
  for (UInt8& sample : line) sample = sample < threshold;
  return line;
}

double Agreement(const std::vector<UInt8>& a, const std::vector<UInt8>& b) {
  std::size_t same = 0;
  for (std::size_t i = 0; i < a.size(); ++i) same += a[i] == b[i];
  return a.empty() ? 0.0 : double(same) / double(a.size());
}

double DarkShare(const std::vector<UInt8>& bits) {
  const auto dark = std::count(bits.begin(), bits.end(), UInt8{1});
  return bits.empty() ? 0.0 : double(dark) / double(bits.size());
}

}  // namespace

bool IsEmpty(const Quad& quad) {
  return std::all_of(quad.begin(), quad.end(), [](PointD p) { return p.x == 0 && p.y == 0; });
}

bool IsDegenerate(const Quad& quad) {
  for (std::size_t i = 0; i < quad.size(); ++i) {
    for (std::size_t j = i + 1; j < quad.size(); ++j) {
      if (quad[i].x == quad[j].x && quad[i].y == quad[j].y) return true;
    }
  }
  double twiceArea = 0;
  for (std::size_t i = 0; i < quad.size(); ++i) {
    const PointD& a = quad[i];
    const PointD& b = quad[(i + 1) % quad.size()];
    twiceArea += a.x * b.y - b.x * a.y;
  }
  return std::abs(twiceArea) < 2 * kMinSymbolArea;
}

PointD Center(const Quad& quad) {
  double x = 0, y = 0;
  for (const PointD& p : quad) {
    x += p.x;
    y += p.y;
  }
  return {std::trunc(x / 4), std::trunc(y / 4)};
}

double TopLength(const Quad& quad) { return Norm(Diff(quad[1], quad[0])); }
double LeftLength(const Quad& quad) { return Norm(Diff(quad[3], quad[0])); }

Quad OrientLinear(const Quad& quad) {
  const Frame f = FrameOf(quad);
  if (f.V(quad[2]) + f.V(quad[3]) >= 0) return quad;
  return {quad[3], quad[2], quad[1], quad[0]};
}

Quad Enclose(const Quad& a, const Quad& b) {
  const Frame f = FrameOf(a);
  Box box = BoxOf(f, a);
  const Box other = BoxOf(f, b);
  box = {std::min(box.u0, other.u0), std::max(box.u1, other.u1), std::min(box.v0, other.v0),
         std::max(box.v1, other.v1)};
  return QuadOf(f, box);
}

Quad GrowLinearBand(const GrayView& view, const Quad& band) {
  const Frame f = FrameOf(band);
  const Box b = BoxOf(f, band);
  const double length = b.u1 - b.u0;
  if (length < 2) return band;
  const int maxSteps = static_cast<int>(2 * length);
  double top = b.v0, bottom = b.v1;
  for (const double start : {b.v0, b.v1}) {
    int threshold = -1;
    const std::vector<UInt8> reference = BarLine(view, f, b, start, threshold);
    if (reference.empty()) continue;
    // White lines agree with each other: growth stops where the bars end.
    const double minDarkShare = kMinBarShare * DarkShare(reference);
    for (const int dir : {-1, 1}) {
      std::vector<UInt8> previous = reference;
      double reached = start;
      for (int step = 1; step <= maxSteps; ++step) {
        const double v = start + dir * step;
        std::vector<UInt8> line = BarLine(view, f, b, v, threshold);
        if (DarkShare(line) < minDarkShare || Agreement(previous, line) < kMinAgreement) break;
        previous = std::move(line);
        reached = v;
      }
      top = std::min(top, reached);
      bottom = std::max(bottom, reached);
    }
  }
  return QuadOf(f, {b.u0, b.u1, top, bottom});
}

Quad AddOnQuad(const GrayView& view, const Quad& main, Int32 mainModules, const Quad& addOnBand,
               Int32 addOnModules, Int32 minGapModules) {
  const Frame f = FrameOf(main);
  const Box mb = BoxOf(f, main);
  const Box ab = BoxOf(f, addOnBand);
  const double module = std::max(1.0, (mb.u1 - mb.u0 + 1) / mainModules);
  const Box search{mb.u1 + kAddOnSearchFromModules * module,
                   mb.u1 + (kAddOnMaxGapModules + addOnModules) * module, 0, 0};
  std::vector<double> starts;
  for (const double share : {0.25, 0.5, 0.75}) {
    int threshold = -1;
    const std::vector<UInt8> bits =
        BarLine(view, f, search, ab.v0 + share * (ab.v1 - ab.v0), threshold);
    const auto dark = std::find(bits.begin(), bits.end(), UInt8{1});
    if (dark != bits.end()) starts.push_back(search.u0 + double(dark - bits.begin()));
  }
  double start = mb.u1 + 1 + minGapModules * module;
  if (!starts.empty()) {
    std::sort(starts.begin(), starts.end());
    start = starts[starts.size() / 2];
  }
  return QuadOf(f, {start, start + addOnModules * module - 1, ab.v0, ab.v1});
}

Quad DarkBoundingBox(const GrayView& view) {
  int lo = 255, hi = 0;
  for (Int32 y = 0; y < view.height; ++y) {
    for (Int32 x = 0; x < view.width; ++x) {
      lo = std::min<int>(lo, view.At(x, y));
      hi = std::max<int>(hi, view.At(x, y));
    }
  }
  if (hi - lo < kMinContrast) return {};
  const int threshold = (hi + lo) / 2;
  Int32 x0 = view.width, y0 = view.height, x1 = -1, y1 = -1;
  for (Int32 y = 0; y < view.height; ++y) {
    for (Int32 x = 0; x < view.width; ++x) {
      if (view.At(x, y) >= threshold) continue;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  const double l = x0, t = y0, r = x1, b = y1;
  return {PointD{l, t}, PointD{r, t}, PointD{r, b}, PointD{l, b}};
}

void PaintWhite(std::vector<UInt8>& pixels, Int32 width, Int32 height, const Quad& quad,
                double margin) {
  const Frame f = FrameOf(quad);
  const Box b = BoxOf(f, quad);
  double left = width, top = height, right = 0, bottom = 0;
  for (const PointD& p : quad) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  const double pad = std::ceil(margin);
  const Int32 x0 = static_cast<Int32>(std::max(0.0, std::floor(left) - pad));
  const Int32 y0 = static_cast<Int32>(std::max(0.0, std::floor(top) - pad));
  const Int32 x1 = static_cast<Int32>(std::min(width - 1.0, std::ceil(right) + pad));
  const Int32 y1 = static_cast<Int32>(std::min(height - 1.0, std::ceil(bottom) + pad));
  for (Int32 y = y0; y <= y1; ++y) {
    for (Int32 x = x0; x <= x1; ++x) {
      const PointD at{static_cast<double>(x), static_cast<double>(y)};
      const double u = f.U(at), v = f.V(at);
      if (u < b.u0 - margin || u > b.u1 + margin || v < b.v0 - margin || v > b.v1 + margin) {
        continue;
      }
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x] = 255;
    }
  }
}

}  // namespace vexo::engine
