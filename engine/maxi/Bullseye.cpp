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
  double sum;  // of its samples
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
// Grey levels a sample must stand off its surroundings' mean to change shade.
constexpr float kRunMargin = 6;
// The first dark ring is looked for this many pitches above and below a
// row's match.
constexpr double kRingLow = 0.5;
constexpr double kRingHigh = 1.5;
// Cells closer than this many pixels are not read.
constexpr double kMinPitch = 1.5;
// Grey levels between the mean of the rings' dark runs and their light ones.
constexpr double kMinRunContrast = 24;
// The rings' pitch along a diagonal may differ this much from the row's and
// column's (a slanted view).
constexpr double kMaxDiagonalOff = 0.15;
// Lines looked at around a candidate reach this many cell pitches out.
constexpr double kLineReach = 7.0;
// The rings are checked on circles of this many points; the pitch is
// searched in kPitchSteps steps of this share either side, the centre in
// steps of this share of the pitch.
constexpr int kCirclePoints = 32;
constexpr double kPitchStep = 0.03;
constexpr int kPitchSteps = 8;
constexpr double kCentreStep = 0.15;
// Grey levels by which every dark ring must stay darker than every light
// one.
constexpr double kMinRingContrast = 20;

// Each sample thresholded at the mean of the window around it, which holds
// a few rings whatever the light across the view; a sample within
// kRunMargin of the mean keeps the shade before it, so that the grain of
// blank paper makes few runs.
void LineRuns(const std::vector<float>& line, int halfWindow, std::vector<Run>& runs) {
  runs.clear();
  const int n = static_cast<int>(line.size());
  thread_local std::vector<float> sums;
  sums.assign(static_cast<std::size_t>(n) + 1, 0.0F);
  for (int i = 0; i < n; ++i) sums[i + 1] = sums[i] + line[i];
  bool dark = false;
  for (int i = 0; i < n; ++i) {
    const int a = std::max(0, i - halfWindow), b = std::min(n, i + halfWindow + 1);
    const float mean = (sums[b] - sums[a]) / static_cast<float>(b - a);
    if (line[i] < mean - kRunMargin) {
      dark = true;
    } else if (line[i] > mean + kRunMargin) {
      dark = false;
    }
    if (!runs.empty() && runs.back().dark == dark) {
      ++runs.back().length;
      runs.back().sum += line[i];
    } else {
      runs.push_back({i, 1, dark, line[i]});
    }
  }
}

std::optional<LineMatch> MatchAt(const std::vector<Run>& runs, std::size_t i) {
  if (i < 5 || i + 5 >= runs.size() || runs[i].dark) return std::nullopt;
  // The outer ring may run into a dark cell beside it: only its start is
  // looked at.
  double left = 0, right = 0;
  for (std::size_t k = 1; k <= 4; ++k) left += runs[i - k].length, right += runs[i + k].length;
  const double mean = (left + right) / 8;
  if (std::min(left, right) < kMinHalves * std::max(left, right)) return std::nullopt;
  for (std::size_t k = 1; k <= 5; ++k) {
    for (const Run& r : {runs[i - k], runs[i + k]}) {
      if (r.length < kMinRing * mean || (k < 5 && r.length > kMaxRing * mean)) return std::nullopt;
    }
  }
  const double light = runs[i].length;
  if (light < kMinCentre * mean || light > kMaxCentre * mean) return std::nullopt;
  // Printed rings, not the grain of the paper.
  double darkSum = 0, darkCount = 0, lightSum = 0, lightCount = 0;
  for (std::size_t k = i - 4; k <= i + 4; ++k) {
    (runs[k].dark ? darkSum : lightSum) += runs[k].sum;
    (runs[k].dark ? darkCount : lightCount) += runs[k].length;
  }
  if (lightSum / lightCount - darkSum / darkCount < kMinRunContrast) return std::nullopt;
  // The middles of the two inner dark rings either side: blur and a
  // threshold off the middle grow or shrink the runs but leave their middles.
  const auto middle = [](const Run& r) { return r.start + (r.length - 1) / 2.0; };
  double centre = 0, num = 0, den = 0;
  for (std::size_t k = 0; k < 2; ++k) {
    const double a = middle(runs[i - 1 - 2 * k]), b = middle(runs[i + 1 + 2 * k]);
    centre += (a + b) / 4;
    num += (b - a) / 2 * kDarkRingMiddles[k];
    den += kDarkRingMiddles[k] * kDarkRingMiddles[k];
  }
  return LineMatch{centre, num / den};
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

// The bullseye's match on the line through `p` along `step` nearest `p`
// (within two pitches), as the offset of its centre from `p` in steps and
// its pitch in steps.
std::optional<LineMatch> MatchThrough(const LumaView& view, PointD p, PointD step, double pitch) {
  const int reach = static_cast<int>(std::ceil(kLineReach * pitch));
  const std::vector<float> line = LineThrough(view, p, step, reach);
  std::vector<Run> runs;
  LineRuns(line, std::max(3, static_cast<int>(2 * pitch)), runs);
  std::optional<LineMatch> best;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    std::optional<LineMatch> m = MatchAt(runs, i);
    if (!m || m->pitch < 0.6 * pitch || m->pitch > 1.6 * pitch) continue;
    m->centre -= reach;
    if (std::abs(m->centre) <= 2 * pitch &&
        (!best || std::abs(m->centre) < std::abs(best->centre))) {
      best = m;
    }
  }
  return best;
}

// A row's candidate confirmed by the column and a diagonal through it, the
// centre refined by each.
std::optional<Bullseye> Confirm(const LumaView& view, PointD p, double pitch) {
  // A row off the centre meets the rings in chords whose middles lie on
  // the centre's column: the column, then the row through it, twice.
  std::optional<LineMatch> row, column;
  for (int round = 0; round < 2; ++round) {
    column = MatchThrough(view, p, {0, 1}, pitch);
    if (!column) return std::nullopt;
    p.y += column->centre;
    row = MatchThrough(view, p, {1, 0}, pitch);
    if (!row) return std::nullopt;
    p.x += row->centre;
  }
  // Round rings measure alike along the diagonals; the square rings of
  // another symbology's finder measure sqrt(2) wider there.
  const double measured = (row->pitch + column->pitch) / 2;
  const double diagonalPitch = measured / std::numbers::sqrt2;
  int round = 0;
  for (const PointD step : {PointD{1, 1}, PointD{1, -1}}) {
    const std::optional<LineMatch> m = MatchThrough(view, p, step, diagonalPitch);
    if (m && std::abs(m->pitch / diagonalPitch - 1) <= kMaxDiagonalOff) ++round;
  }
  if (round == 0) return std::nullopt;
  Bullseye b;
  b.centre = p;
  b.pitch = measured;
  return b;
}

// The mean luminance on the circle of `radius` around `centre`.
double CircleMean(const LumaView& view, PointD centre, double radius) {
  if (radius <= 0) return Sample(view, centre);
  static const std::array<PointD, kCirclePoints> kCircle = [] {
    std::array<PointD, kCirclePoints> points{};
    for (int i = 0; i < kCirclePoints; ++i) {
      const double a = 2 * std::numbers::pi * i / kCirclePoints;
      points[i] = {std::cos(a), std::sin(a)};
    }
    return points;
  }();
  double sum = 0;
  for (const PointD u : kCircle) {
    sum += Sample(view, {centre.x + radius * u.x, centre.y + radius * u.y});
  }
  return sum / kCirclePoints;
}

// How far the lightest of the bullseye's dark rings stays darker than the
// darkest of its light ones (the centre and the two light rings), each
// averaged around its whole circle: negative where there is no bullseye of
// that pitch, whatever cells lie around.
double RingContrast(const LumaView& view, PointD centre, double pitch) {
  double darkest = 0, lightest = 255;
  for (std::size_t k = 0; k < kDarkRingMiddles.size(); ++k) {
    darkest = std::max(darkest, CircleMean(view, centre, kDarkRingMiddles[k] * pitch));
    const double light = k == 0 ? 0 : (kRingEdges[2 * k - 1] + kRingEdges[2 * k]) / 2;
    lightest = std::min(lightest, CircleMean(view, centre, light * pitch));
  }
  return lightest - darkest;
}

// The centre and pitch at which the rings stand out most, searched around
// the lines' measure: a blurred view's runs give the pitch only roughly.
double Settle(const LumaView& view, Bullseye& b) {
  double best = RingContrast(view, b.centre, b.pitch);
  for (int round = 0; round < 2; ++round) {
    const double pitch = b.pitch;
    for (int k = -kPitchSteps; k <= kPitchSteps; ++k) {
      const double trial = pitch * (1 + k * kPitchStep);
      const double c = RingContrast(view, b.centre, trial);
      if (c > best) best = c, b.pitch = trial;
    }
    const PointD centre = b.centre;
    for (int i = -2; i <= 2; ++i) {
      for (int j = -2; j <= 2; ++j) {
        const PointD trial{centre.x + i * kCentreStep * b.pitch,
                           centre.y + j * kCentreStep * b.pitch};
        const double c = RingContrast(view, trial, b.pitch);
        if (c > best) best = c, b.centre = trial;
      }
    }
  }
  return best;
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
  std::optional<Bullseye> best;
  double bestContrast = 0;
  std::vector<PointD> tried;
  for (Int32 y = 1; y < view.height; y += 2) {
    const UInt8* row = view.Row(y);
    for (Int32 x = 0; x < view.width; ++x) line[x] = row[x];
    LineRuns(line, halfWindow, runs);
    for (std::size_t i = 5; i + 5 < runs.size(); ++i) {
      const std::optional<LineMatch> m = MatchAt(runs, i);
      if (!m || m->pitch < kMinPitch) continue;
      // The first dark ring above and below the light centre, before the
      // lines are looked at: bars and text match rows too. The row may pass
      // off the centre: the darkest point near the ring counts.
      const PointD c{m->centre + 0.5, y + 0.5};
      const double light = Sample(view, c) - kMinRunContrast / 4;
      const auto darkest = [&](double sign) {
        double v = 255;
        for (double t = kRingLow; t <= kRingHigh; t += 0.5) {
          v = std::min(v, Sample(view, {c.x, c.y + sign * t * m->pitch}));
        }
        return v;
      };
      if (darkest(-1) > light || darkest(1) > light) continue;
      std::optional<Bullseye> b = Confirm(view, c, m->pitch);
      if (!b) continue;
      // Rows through one bullseye find it again and again.
      const bool seen = std::any_of(tried.begin(), tried.end(), [&](PointD t) {
        return std::hypot(t.x - b->centre.x, t.y - b->centre.y) < b->pitch;
      });
      if (seen) continue;
      tried.push_back(b->centre);
      const double contrast = Settle(view, *b);
      if (contrast >= kMinRingContrast && contrast > bestContrast)
        best = b, bestContrast = contrast;
    }
  }
  return best;
}

}  // namespace vexo::engine::maxi
