#include "engine/maxi/MaxiSampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "engine/image/Sharpen.h"
#include "engine/maxi/Bullseye.h"
#include "engine/maxi/MaxiGrid.h"

namespace vexo::engine {
namespace {

using maxi::Bullseye;
using maxi::Sample;

// The symbol's turn is searched within kTurnSteps steps of this many
// degrees either side of the hexagon edges' direction, its pitch within
// kPitchSteps steps of this share either side of the rings' measure.
constexpr double kTurnStep = 0.5;
constexpr int kTurnSteps = 4;
constexpr double kPitchStep = 0.03;
constexpr int kPitchSteps = 4;
// Cells this many pitches from the centre settle the turn and the pitch:
// outside the bullseye, inside the symbol whatever its turn.
constexpr double kInnerFit = 5.0;
constexpr double kOuterFit = 8.0;
// The lattice is refined on the cells within this reach, then on all, in
// rounds of halving steps, each of at most so many passes over its six
// numbers.
constexpr int kRefineRounds = 3;
constexpr int kRefinePasses = 6;
constexpr double kMiddleFit = 11.0;
// Orientations tried, likeliest first.
constexpr std::size_t kOrientationsTried = 2;
// The clean drawing: a cell is kCellWidth x kCellHeight pixels (about a
// hexagon's proportions), in a border of two cells.
constexpr Int32 kCellWidth = 8;
constexpr Int32 kCellHeight = 7;
constexpr Int32 kBorder = 16;
// A cell's value: its centre, twice, and four points this share of the
// rings' pitch around it.
constexpr double kCellSpread = 0.3;
// Cells within this many rows and columns set a cell's threshold.
constexpr int kThresholdReach = 4;

// View point = centre + M (x, y) for a point (x, y) of the grid.
struct Lattice {
  PointD centre;
  double xx = 1, xy = 0, yx = 0, yy = 1;
  double spread = 0;  // pixels around a cell's centre its value averages

  PointD Map(PointD p) const {
    return {centre.x + xx * p.x + xy * p.y, centre.y + yx * p.x + yy * p.y};
  }
};

// The spread is fixed in pixels (a share of the rings' pitch), so that a
// smaller lattice does not look sharper for averaging less.
double CellValue(const LumaView& view, const Lattice& l, PointD p) {
  const PointD q = l.Map(p);
  double sum = 2 * Sample(view, q);
  for (const PointD d :
       {PointD{l.spread, 0}, PointD{-l.spread, 0}, PointD{0, l.spread}, PointD{0, -l.spread}}) {
    sum += Sample(view, {q.x + d.x, q.y + d.y});
  }
  return sum / 6;
}

struct GridCell {
  maxi::Cell cell;
  PointD centre;
};

// Every data cell, and those that settle the turn.
const std::vector<GridCell>& DataCells() {
  static const std::vector<GridCell> cells = [] {
    std::vector<GridCell> all;
    for (int r = 0; r < maxi::kRows; ++r) {
      for (int c = 0; c < maxi::kColumns; ++c) {
        if (!maxi::InBullseye(r, c)) all.push_back({{r, c}, maxi::CellCentre(r, c)});
      }
    }
    return all;
  }();
  return cells;
}

const std::vector<PointD>& FitCells() {
  static const std::vector<PointD> cells = [] {
    std::vector<PointD> near;
    for (const GridCell& g : DataCells()) {
      const double d = std::hypot(g.centre.x, g.centre.y);
      if (d >= kInnerFit && d <= kOuterFit) near.push_back(g.centre);
    }
    return near;
  }();
  return cells;
}

// How sharply the lattice's points fall on cells: the variance of the cell
// values at them (a value straddling cells is grey).
double Sharpness(const LumaView& view, const Lattice& l, const std::vector<PointD>& cells,
                 bool centresOnly = false) {
  double sum = 0, squares = 0;
  int n = 0;
  for (const PointD p : cells) {
    const PointD q = l.Map(p);
    if (q.x < 0 || q.y < 0 || q.x >= view.width || q.y >= view.height) continue;
    const double v = centresOnly ? Sample(view, q) : CellValue(view, l, p);
    sum += v, squares += v * v, ++n;
  }
  if (n == 0) return 0;
  const double mean = sum / n;
  return squares / n - mean * mean;
}

std::vector<PointD> CellsWithin(double reach) {
  std::vector<PointD> near;
  for (const GridCell& g : DataCells()) {
    if (std::hypot(g.centre.x, g.centre.y) <= reach) near.push_back(g.centre);
  }
  return near;
}

// The lattice of cells `pitch` pixels apart around the bullseye, turned by
// `degrees` (clockwise as seen, y pointing down).
Lattice Turned(const Bullseye& b, double pitch, double degrees) {
  const double a = degrees * std::numbers::pi / 180;
  const double c = pitch * std::cos(a), s = pitch * std::sin(a);
  return {b.centre, c, -s, s, c, kCellSpread * b.pitch};
}

struct GridFit {
  double turn = 0;  // degrees
  double pitch = 0;
};

// The turn and pitch that put the lattice on the cells around the
// bullseye. The hexagons' edges give the turn modulo 60 degrees (or 30
// degrees off it in a blurred view); the rings give the pitch only roughly
// (ink spread, a printer's rounding), so it is searched too.
GridFit FitGrid(const LumaView& view, const Bullseye& b) {
  const auto reach = static_cast<Int32>(kOuterFit * b.pitch);
  const Int32 left = std::max(0, static_cast<Int32>(b.centre.x) - reach);
  const Int32 top = std::max(0, static_cast<Int32>(b.centre.y) - reach);
  const Int32 right = std::min(view.width, static_cast<Int32>(b.centre.x) + reach);
  const Int32 bottom = std::min(view.height, static_cast<Int32>(b.centre.y) + reach);
  // That measure is 0 for hexagons whose edges face 30, 90 and 150 degrees
  // (counter-clockwise); the cells' hexagons stand on a tip.
  const double hex =
      30 - HexGridAngle(view.pixels, view.stride, left, top, right - left, bottom - top).degrees;
  const std::vector<PointD>& cells = FitCells();
  GridFit best;
  double bestSharpness = -1;
  const auto consider = [&](double turn, double pitch) {
    const double s = Sharpness(view, Turned(b, pitch, turn), cells);
    if (s > bestSharpness) best = {turn, pitch}, bestSharpness = s;
  };
  for (const double edges : {hex, hex + 30}) {
    for (int i = -kTurnSteps; i <= kTurnSteps; ++i) {
      for (int k = -kPitchSteps; k <= kPitchSteps; ++k) {
        consider(edges + i * kTurnStep, b.pitch * (1 + k * kPitchStep));
      }
    }
  }
  const GridFit coarse = best;
  for (int i = -2; i <= 2; ++i) {
    for (int k = -2; k <= 2; ++k) {
      consider(coarse.turn + i * kTurnStep / 4, coarse.pitch * (1 + k * kPitchStep / 4));
    }
  }
  return best;
}

// How well the orientation cells match their shades around `threshold`.
double OrientationScore(const LumaView& view, const Lattice& l, double threshold) {
  double score = 0;
  for (const maxi::OrientationCell& o : maxi::kOrientationCells) {
    const double v = CellValue(view, l, maxi::CellCentre(o.cell.row, o.cell.column));
    score += o.dark ? threshold - v : v - threshold;
  }
  return score;
}

// The lattice moved, stretched and sheared a little at a time while its
// points fall more sharply on the cells: a slanted or skewed view.
Lattice Refined(const LumaView& view, Lattice l, const std::vector<PointD>& cells) {
  double best = Sharpness(view, l, cells, true);
  const double scale = std::hypot(l.xx, l.yx);
  double shift = 0.25, stretch = 0.01 * scale;
  for (int round = 0; round < kRefineRounds; ++round, shift /= 2, stretch /= 2) {
    bool moved = true;
    for (int pass = 0; moved && pass < kRefinePasses; ++pass) {
      moved = false;
      for (int param = 0; param < 6; ++param) {
        for (const double sign : {1.0, -1.0}) {
          Lattice trial = l;
          double* values[6] = {&trial.centre.x, &trial.centre.y, &trial.xx,
                               &trial.xy,       &trial.yx,       &trial.yy};
          *values[param] += sign * (param < 2 ? shift : stretch);
          const double s = Sharpness(view, trial, cells, true);
          if (s > best) {
            best = s, l = trial, moved = true;
            break;
          }
        }
      }
    }
  }
  return l;
}

// The threshold between two classes of values (Otsu's).
double SplitOf(const std::vector<double>& values) {
  std::array<double, 256> histogram{};
  for (double v : values) histogram[static_cast<std::size_t>(std::clamp(v, 0.0, 255.0))] += 1;
  const double total = static_cast<double>(values.size());
  double sumAll = 0;
  for (int i = 0; i < 256; ++i) sumAll += i * histogram[i];
  double weight = 0, sum = 0, best = -1, split = 128;
  for (int i = 0; i < 256; ++i) {
    weight += histogram[i];
    sum += i * histogram[i];
    if (weight == 0 || weight == total) continue;
    const double m0 = sum / weight, m1 = (sumAll - sum) / (total - weight);
    const double between = weight * (total - weight) * (m0 - m1) * (m0 - m1);
    if (between > best) best = between, split = i + 0.5;
  }
  return split;
}

// Dark cells: each cell against the middle of the dark and light cells
// around it, so that light falling off across the symbol does not matter.
std::vector<bool> DarkCells(const LumaView& view, const Lattice& l) {
  const std::vector<GridCell>& cells = DataCells();
  std::vector<double> values(maxi::kRows * maxi::kColumns, -1);
  std::vector<double> found;
  for (const GridCell& g : cells) {
    const double v = CellValue(view, l, g.centre);
    values[g.cell.row * maxi::kColumns + g.cell.column] = v;
    found.push_back(v);
  }
  const double global = SplitOf(found);
  std::vector<bool> dark(values.size(), false);
  for (const GridCell& g : cells) {
    double darkSum = 0, lightSum = 0;
    int darkCount = 0, lightCount = 0;
    for (int r = std::max(0, g.cell.row - kThresholdReach);
         r <= std::min(maxi::kRows - 1, g.cell.row + kThresholdReach); ++r) {
      for (int c = std::max(0, g.cell.column - kThresholdReach);
           c <= std::min(maxi::kColumns - 1, g.cell.column + kThresholdReach); ++c) {
        const double v = values[r * maxi::kColumns + c];
        if (v < 0) continue;
        if (v < global) {
          darkSum += v, ++darkCount;
        } else {
          lightSum += v, ++lightCount;
        }
      }
    }
    const double threshold = darkCount > 0 && lightCount > 0
                                 ? (darkSum / darkCount + lightSum / lightCount) / 2
                                 : global;
    const std::size_t i = g.cell.row * maxi::kColumns + g.cell.column;
    dark[i] = values[i] < threshold;
  }
  return dark;
}

// Clean-drawing pixels to grid points.
AffineMap CleanToGrid() {
  const double x0 = -(kBorder / static_cast<double>(kCellWidth)) + maxi::kLeftEdge;
  const double rowScale = maxi::kRowPitch / kCellHeight;
  const double y0 = -(kBorder + kCellHeight / 2.0) * rowScale - 16 * maxi::kRowPitch;
  return {1.0 / kCellWidth, 0, x0, 0, rowScale, y0};
}

LumaImage Draw(const std::vector<bool>& dark) {
  // The bullseye is drawn over the cells it covers, out to half a pitch
  // past its outer ring.
  constexpr double kRingsReach = maxi::kRingEdges.back() + 0.5;
  LumaImage image;
  image.width = maxi::kColumns * kCellWidth + kCellWidth / 2 + 2 * kBorder;
  image.height = maxi::kRows * kCellHeight + 2 * kBorder;
  image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 255);
  for (int r = 0; r < maxi::kRows; ++r) {
    const Int32 shift = r % 2 == 1 ? kCellWidth / 2 : 0;
    for (int c = 0; c < maxi::kColumns; ++c) {
      if (!dark[r * maxi::kColumns + c]) continue;
      for (Int32 y = 0; y < kCellHeight; ++y) {
        UInt8* row = image.Row(kBorder + r * kCellHeight + y);
        std::fill_n(row + kBorder + shift + c * kCellWidth, kCellWidth, UInt8{0});
      }
    }
  }
  const AffineMap toGrid = CleanToGrid();
  for (Int32 y = 0; y < image.height; ++y) {
    for (Int32 x = 0; x < image.width; ++x) {
      const PointD p = toGrid.Apply({x + 0.5, y + 0.5});
      const double d2 = p.x * p.x + p.y * p.y;
      if (d2 < kRingsReach * kRingsReach) {
        image.Row(y)[x] = maxi::OnDarkRing(std::sqrt(d2)) ? 0 : 255;
      }
    }
  }
  return image;
}

MaxiDrawing Drawn(const LumaView& view, const Lattice& l) {
  MaxiDrawing drawing;
  drawing.clean = Draw(DarkCells(view, l));
  const AffineMap gridToView{l.xx, l.xy, l.centre.x, l.yx, l.yy, l.centre.y};
  drawing.cleanToView = gridToView.After(CleanToGrid());
  drawing.outline = {
      l.Map({maxi::kLeftEdge, maxi::kTopEdge}), l.Map({maxi::kRightEdge, maxi::kTopEdge}),
      l.Map({maxi::kRightEdge, maxi::kBottomEdge}), l.Map({maxi::kLeftEdge, maxi::kBottomEdge})};
  return drawing;
}

}  // namespace

std::vector<MaxiDrawing> DrawMaxiCode(const LumaView& view) {
  const std::optional<Bullseye> bullseye = maxi::FindBullseye(view);
  if (!bullseye) return {};
  const GridFit fit = FitGrid(view, *bullseye);
  // The six turns that put the lattice on the cells, by how well their
  // orientation cells match.
  std::vector<double> values;
  const Lattice first = Turned(*bullseye, fit.pitch, fit.turn);
  for (const PointD p : FitCells()) values.push_back(Sample(view, first.Map(p)));
  const double threshold = SplitOf(values);
  std::vector<std::pair<double, Lattice>> turns;
  for (int k = 0; k < 6; ++k) {
    const Lattice l = Turned(*bullseye, fit.pitch, fit.turn + 60 * k);
    turns.emplace_back(OrientationScore(view, l, threshold), l);
  }
  std::sort(turns.begin(), turns.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<MaxiDrawing> drawings;
  for (std::size_t k = 0; k < std::min(kOrientationsTried, turns.size()); ++k) {
    const Lattice middle = Refined(view, turns[k].second, CellsWithin(kMiddleFit));
    drawings.push_back(Drawn(view, Refined(view, middle, CellsWithin(maxi::kRows))));
  }
  return drawings;
}

}  // namespace vexo::engine
