#include "engine/maxi/Bullseye.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/maxi/MaxiGrid.h"

namespace vexo::engine::maxi {
namespace {

// A light or dark stretch of a line of samples.
struct Run {
  int start;
  int length;
  bool dark;
};

// A line's match of the bullseye's eleven runs: the middle of its light
// centre and the cell pitch, in steps along the line.
struct LineMatch {
  double centre;
  double pitch;
};

// The rings' runs may differ this much from their mean (blur, ink spread),
// the light centre (1.52 times a ring's width) somewhat more.
constexpr double kMinRing = 0.35;
constexpr double kMaxRing = 1.9;
constexpr double kMinCentre = 0.7;
constexpr double kMaxCentre = 3.2;
// The two halves of a line through the centre may differ this much (a
// line off the centre, a slanted view).
constexpr double kMinHalves = 0.7;
// Lines looked at around a candidate reach this many cell pitches out.
constexpr double kLineReach = 7.0;
// The rays that measure the rings' ellipse, and how far out they look.
constexpr int kRays = 16;
constexpr double kRayReach = 5.2;
constexpr double kRayStep = 0.25;
// A bullseye shows its rings along nearly every ray (a blot or a data cell
// may hide a ring along a few); a run of data cells that happens to look
// like rings along a row and a column does not.
constexpr int kMinClearRays = 12;

// Each sample thresholded at the mean of the window around it, which holds
// a few rings whatever the light across the view.
void LineRuns(const std::vector<float>& line, int halfWindow, std::vector<Run>& runs) {
  runs.clear();
  const int n = static_cast<int>(line.size());
  std::vector<double> sums(static_cast<std::size_t>(n) + 1, 0.0);
  for (int i = 0; i < n; ++i) sums[i + 1] = sums[i] + line[i];
  for (int i = 0; i < n; ++i) {
    const int a = std::max(0, i - halfWindow), b = std::min(n, i + halfWindow + 1);
    const bool dark = line[i] < (sums[b] - sums[a]) / (b - a);
    if (!runs.empty() && runs.back().dark == dark) {
      ++runs.back().length;
    } else {
      runs.push_back({i, 1, dark});
    }
  }
}

std::optional<LineMatch> MatchAt(const std::vector<Run>& runs, std::size_t i) {
  if (i < 5 || i + 5 >= runs.size() || runs[i].dark) return std::nullopt;
  double left = 0, right = 0;
  for (std::size_t k = 1; k <= 5; ++k) left += runs[i - k].length, right += runs[i + k].length;
  const double mean = (left + right) / 10;
  if (std::min(left, right) < kMinHalves * std::max(left, right)) return std::nullopt;
  for (std::size_t k = 1; k <= 5; ++k) {
    for (const Run& r : {runs[i - k], runs[i + k]}) {
      if (r.length < kMinRing * mean || r.length > kMaxRing * mean) return std::nullopt;
    }
  }
  const double centre = runs[i].length;
  if (centre < kMinCentre * mean || centre > kMaxCentre * mean) return std::nullopt;
  const double span = left + right + centre;
  const double first = runs[i - 5].start;
  const double last = runs[i + 5].start + runs[i + 5].length - 1;
  return LineMatch{(first + last) / 2, span / (2 * kRingEdges.back())};
}

// The samples along the line through `p` in direction `step`, `reach` steps
// each way: sample `reach` is `p`.
std::vector<float> LineThrough(const LumaView& view, PointD p, PointD step, int reach) {
  std::vector<float> line;
  line.reserve(2 * static_cast<std::size_t>(reach) + 1);
  for (int t = -reach; t <= reach; ++t) {
    line.push_back(static_cast<float>(Sample(view, {p.x + t * step.x, p.y + t * step.y})));
  }
  return line;
}

// The bullseye's match on the line through `p` along `step`, as the offset
// of its centre from `p` in steps and its pitch in steps; the light run
// holding `p` must be its centre.
std::optional<LineMatch> MatchThrough(const LumaView& view, PointD p, PointD step, double pitch) {
  const int reach = static_cast<int>(std::ceil(kLineReach * pitch));
  const std::vector<float> line = LineThrough(view, p, step, reach);
  std::vector<Run> runs;
  LineRuns(line, std::max(3, static_cast<int>(2 * pitch)), runs);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].start <= reach && reach < runs[i].start + runs[i].length) {
      std::optional<LineMatch> m = MatchAt(runs, i);
      if (!m || m->pitch < 0.6 * pitch || m->pitch > 1.6 * pitch) return std::nullopt;
      m->centre -= reach;
      return m;
    }
  }
  return std::nullopt;
}

// A row's candidate confirmed by the column and a diagonal through it, the
// centre refined by each.
std::optional<Bullseye> Confirm(const LumaView& view, PointD p, double pitch) {
  const std::optional<LineMatch> column = MatchThrough(view, p, {0, 1}, pitch);
  if (!column) return std::nullopt;
  p.y += column->centre;
  const std::optional<LineMatch> row = MatchThrough(view, p, {1, 0}, pitch);
  if (!row) return std::nullopt;
  p.x += row->centre;
  const double diagonalPitch = (row->pitch + column->pitch) / 2 / std::numbers::sqrt2;
  if (!MatchThrough(view, p, {1, 1}, diagonalPitch) &&
      !MatchThrough(view, p, {1, -1}, diagonalPitch)) {
    return std::nullopt;
  }
  Bullseye b;
  b.centre = p;
  b.pitch = (row->pitch + column->pitch) / 2;
  return b;
}

// The distance along a ray to the darkest point near `expected`, refined
// between samples.
double DarkestNear(const std::vector<float>& ray, double expected, double halfWidth) {
  const int n = static_cast<int>(ray.size());
  const int a = std::max(1, static_cast<int>((expected - halfWidth) / kRayStep));
  const int b = std::min(n - 2, static_cast<int>((expected + halfWidth) / kRayStep));
  int best = std::clamp(static_cast<int>(expected / kRayStep), 1, n - 2);
  for (int i = a; i <= b; ++i) {
    if (ray[i] < ray[best]) best = i;
  }
  const double l = ray[best - 1], m = ray[best], r = ray[best + 1];
  const double curve = l - 2 * m + r;
  const double shift = curve > 0 ? std::clamp((l - r) / (2 * curve), -0.5, 0.5) : 0.0;
  return (best + shift) * kRayStep;
}

// Pixels per cell pitch along each ray, from the middles of the dark rings;
// `clear` counts the rays along which each dark ring is darker than the
// light centre and the light rings.
std::array<double, kRays> RayScales(const LumaView& view, PointD centre, double pitch,
                                    std::array<PointD, kRays>& directions, int* clear = nullptr) {
  std::array<double, kRays> scales{};
  if (clear != nullptr) *clear = 0;
  const int samples = static_cast<int>(kRayReach * pitch / kRayStep) + 2;
  std::vector<float> ray(static_cast<std::size_t>(samples));
  for (int i = 0; i < kRays; ++i) {
    const double angle = 2 * std::numbers::pi * i / kRays;
    directions[i] = {std::cos(angle), std::sin(angle)};
    for (int s = 0; s < samples; ++s) {
      ray[s] = static_cast<float>(Sample(view, {centre.x + s * kRayStep * directions[i].x,
                                                centre.y + s * kRayStep * directions[i].y}));
    }
    double num = 0, den = 0, darkest = 0;
    for (double middle : kDarkRingMiddles) {
      const double t = DarkestNear(ray, middle * pitch, 0.5 * pitch);
      num += t * middle;
      den += middle * middle;
      darkest = std::max(darkest, static_cast<double>(ray[static_cast<int>(t / kRayStep)]));
    }
    scales[i] = num / den;
    if (clear == nullptr) continue;
    double lightest = ray[0];
    for (std::size_t k = 0; k + 1 < kDarkRingMiddles.size(); ++k) {
      const double between = (kDarkRingMiddles[k] + kDarkRingMiddles[k + 1]) / 2 * scales[i];
      lightest = std::min(lightest, static_cast<double>(ray[static_cast<int>(between / kRayStep)]));
    }
    if (darkest < lightest && scales[i] > 0.6 * pitch && scales[i] < 1.6 * pitch) ++*clear;
  }
  return scales;
}

// The centre moved so that opposite rays see the rings at equal distances.
PointD Recentred(const LumaView& view, PointD centre, double pitch) {
  std::array<PointD, kRays> directions{};
  const std::array<double, kRays> scales = RayScales(view, centre, pitch, directions);
  // A ray's scale is the least-squares fit of the rings' distances t = s m
  // (m their middles): a centre off by c along the ray adds c sum(m) /
  // sum(m^2) to it.
  double sum = 0, squares = 0;
  for (double middle : kDarkRingMiddles) sum += middle, squares += middle * middle;
  PointD shift{0, 0};
  for (int i = 0; i < kRays / 2; ++i) {
    const double offset = (scales[i] - scales[i + kRays / 2]) / 2 * squares / sum;
    shift.x += offset * directions[i].x;
    shift.y += offset * directions[i].y;
  }
  // Half the rays span half a turn: sum d d^T = (kRays / 4) I.
  return {centre.x + shift.x / (kRays / 4.0), centre.y + shift.y / (kRays / 4.0)};
}

}  // namespace

double Sample(const LumaView& view, PointD p) {
  const double x = p.x - 0.5, y = p.y - 0.5;
  const double fx = std::floor(x), fy = std::floor(y);
  const auto x0 = static_cast<Int32>(fx), y0 = static_cast<Int32>(fy);
  const double ax = x - fx, ay = y - fy;
  const auto at = [&view](Int32 px, Int32 py) -> double {
    if (px < 0 || py < 0 || px >= view.width || py >= view.height) return 255;
    return view.Row(py)[px];
  };
  return (1 - ay) * ((1 - ax) * at(x0, y0) + ax * at(x0 + 1, y0)) +
         ay * ((1 - ax) * at(x0, y0 + 1) + ax * at(x0 + 1, y0 + 1));
}

std::optional<Bullseye> FindBullseye(const LumaView& view) {
  if (view.width < 16 || view.height < 16) return std::nullopt;
  const int halfWindow = std::clamp(std::min(view.width, view.height) / 16, 3, 32);
  std::vector<float> line(static_cast<std::size_t>(view.width));
  std::vector<Run> runs;
  for (Int32 y = 1; y < view.height; y += 2) {
    const UInt8* row = view.Row(y);
    for (Int32 x = 0; x < view.width; ++x) line[x] = row[x];
    LineRuns(line, halfWindow, runs);
    for (std::size_t i = 5; i + 5 < runs.size(); ++i) {
      const std::optional<LineMatch> m = MatchAt(runs, i);
      if (!m || m->pitch < 1.5) continue;
      std::optional<Bullseye> b = Confirm(view, {m->centre + 0.5, y + 0.5}, m->pitch);
      if (!b) continue;
      b->centre = Recentred(view, b->centre, b->pitch);
      std::array<PointD, kRays> directions{};
      int clear = 0;
      RayScales(view, b->centre, b->pitch, directions, &clear);
      if (clear >= kMinClearRays) return b;
    }
  }
  return std::nullopt;
}

}  // namespace vexo::engine::maxi
