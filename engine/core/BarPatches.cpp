#include "engine/core/BarPatches.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/ViewTransform.h"
#include "engine/image/Sharpen.h"

namespace vexo::engine {
namespace {

// Cells of the grid, sampled every second pixel of every second row: a few
// modules of the smallest symbols wide, so that a symbol of 60 modules
// spans several.
constexpr Int32 kCell = 16;
constexpr Int32 kSampleStep = 2;
// A cell of bars: mean squared gradient (differences over two pixels of
// three-pixel sums) of at least this much, a photo's grain and shading stay
// below it; and gradients agreeing in direction by at least this coherence
// (1: all parallel), or the 3 x 3 cells around it by the second.
constexpr double kMinEnergy = 2700;
constexpr double kMinCoherence = 0.6;
constexpr double kMinAroundCoherence = 0.2;
// Neighbouring cells join while their directions differ by at most this.
constexpr double kMaxTurnDegrees = 20;
// A patch has this many cells at least, and spans two cells each way (an edge
// of a box or a line of text makes a thin string of cells).
constexpr Int32 kMinCells = 6;
constexpr Int32 kMinSpanCells = 2;
// Across its bars a patch spans this many cells at least: the smallest
// symbol (UPC-E, 51 modules of 2 pixels) spans six; a printed rule or a
// stripe of a pattern one or two.
constexpr double kMinAcrossCells = 4;
// The quiet zone added round a patch: this share of its longer side, and at
// least two cells.
constexpr double kMarginShare = 0.15;
// Crops larger than this are left to the passes over the whole view (a
// symbol that large is no small one), and bars turned by less than this
// are read as they are.
constexpr Int64 kMaxPatchPixels = 1'200'000;
constexpr double kMinTurnDegrees = 3;
// Patches read under the horizontal or vertical flag lie within this of a
// right angle; the others are read under the diagonal flag.
constexpr double kStraightDegrees = 20;
// The lean left after turning by the cells' direction is searched this far
// either way, in these steps.
constexpr double kMaxLean = 12;
constexpr double kLeanStep = 0.5;
// Where the upright crop reads nothing, each pixel becomes the mean of this
// many either side along its bar, and the crop is read again.
constexpr Int32 kAlongBarsRadius = 12;

struct Cell {
  double xx = 0, yy = 0, xy = 0;
  Int32 n = 0;
  bool bars = false;
  bool noisy = false;  // bars only by the cells around it
  double degrees = 0;  // direction of the gradient, [-90, 90)
};

Cell Measure(const LumaView& view, Int32 left, Int32 top) {
  Cell cell;
  Int32& n = cell.n;
  const Int32 right = std::min(left + kCell, view.width - 1);
  const Int32 bottom = std::min(top + kCell, view.height - 1);
  // Differences of three-pixel sums (across the difference's direction),
  // which halve a photo's noise against the edges.
  for (Int32 y = std::max(top, 1); y < bottom; y += kSampleStep) {
    const UInt8* rows[3] = {view.Row(y - 1), view.Row(y), view.Row(y + 1)};
    for (Int32 x = std::max(left, 1); x < right; x += kSampleStep) {
      Int32 ix = 0, iy = 0;
      for (Int32 d = -1; d <= 1; ++d) {
        ix += rows[1 + d][x + 1] - rows[1 + d][x - 1];
        iy += rows[2][x + d] - rows[0][x + d];
      }
      const double gx = ix, gy = iy;
      cell.xx += gx * gx;
      cell.yy += gy * gy;
      cell.xy += gx * gy;
      ++n;
    }
  }
  return cell;
}

// The direction of a tensor's gradients, counter-clockwise on the page (image
// rows run down), in [-90, 90].
double Direction(const Cell& t) {
  return -0.5 * std::atan2(2 * t.xy, t.xx - t.yy) * 180 / std::numbers::pi;
}

// Coherence and direction of a tensor; false when it holds no bars.
bool Judge(const Cell& t, double minCoherence, double& degrees) {
  const double sum = t.xx + t.yy;
  if (t.n == 0 || sum <= 0 || sum / t.n < kMinEnergy) return false;
  degrees = Direction(t);
  return std::hypot(t.xx - t.yy, 2 * t.xy) / sum >= minCoherence;
}

// A cell holds bars when its own gradients agree, or, under a dim photo's
// noise, those of the 3 x 3 cells around it (nine times the samples, so the
// noise's own agreement falls by three).
void JudgeCells(std::vector<Cell>& cells, Int32 cols, Int32 rows) {
  std::vector<Cell> around(cells.size());
  for (Int32 r = 0; r < rows; ++r) {
    for (Int32 c = 0; c < cols; ++c) {
      Cell& sum = around[r * cols + c];
      for (Int32 y = std::max(0, r - 1); y <= std::min(rows - 1, r + 1); ++y) {
        for (Int32 x = std::max(0, c - 1); x <= std::min(cols - 1, c + 1); ++x) {
          const Cell& o = cells[y * cols + x];
          sum.xx += o.xx, sum.yy += o.yy, sum.xy += o.xy, sum.n += o.n;
        }
      }
    }
  }
  // A cell of flat paper beside a line takes no part from its neighbours.
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const bool clear = Judge(cells[i], kMinCoherence, cells[i].degrees);
    cells[i].noisy = !clear && Judge(cells[i], 0, cells[i].degrees) &&
                     Judge(around[i], kMinAroundCoherence, cells[i].degrees);
    cells[i].bars = clear || cells[i].noisy;
  }
}

double Apart(double a, double b) {
  const double d = std::fabs(a - b);
  return std::min(d, 180 - d);
}

// Cells of bars joined, in grid coordinates, with their summed gradients.
struct Piece {
  Int32 c0, c1, r0, r1;
  Int32 count;
  Int32 noisy;  // cells of bars only by the cells around them
  Cell sum;
  std::vector<Int32> members;  // cell indices
};

// How many cells the piece spans across its bars.
double Across(const Piece& piece, Int32 cols) {
  const double turn = Direction(piece.sum) * std::numbers::pi / 180;
  double low = 1e9, high = -1e9;
  for (const Int32 i : piece.members) {
    const double at = (i % cols) * std::cos(turn) - (i / cols) * std::sin(turn);
    low = std::min(low, at), high = std::max(high, at);
  }
  return high - low + 1;
}

// Pieces whose boxes touch and whose directions agree are one symbol (noise
// breaks a dim symbol's cells apart).
void MergePieces(std::vector<Piece>& pieces) {
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < pieces.size() && !merged; ++i) {
      for (std::size_t j = i + 1; j < pieces.size() && !merged; ++j) {
        Piece& a = pieces[i];
        const Piece& b = pieces[j];
        if (a.c0 > b.c1 + 1 || b.c0 > a.c1 + 1 || a.r0 > b.r1 + 1 || b.r0 > a.r1 + 1 ||
            Apart(Direction(a.sum), Direction(b.sum)) > kMaxTurnDegrees) {
          continue;
        }
        a.c0 = std::min(a.c0, b.c0), a.c1 = std::max(a.c1, b.c1);
        a.r0 = std::min(a.r0, b.r0), a.r1 = std::max(a.r1, b.r1);
        a.count += b.count;
        a.noisy += b.noisy;
        a.sum.xx += b.sum.xx, a.sum.yy += b.sum.yy, a.sum.xy += b.sum.xy;
        a.members.insert(a.members.end(), b.members.begin(), b.members.end());
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(j));
        merged = true;
      }
    }
  }
}

// How far the bars of a crop turned upright by the cells' direction still
// lean (degrees, x growing downwards along a bar): the shear whose sums down
// the lines of that lean give the sharpest profile across them. JPEG blocks
// under a dim photo's noise pull the cells' direction towards the axes.
double Lean(const LumaImage& image) {
  const double middle = image.height / 2.0;
  double best = 0, bestSharpness = -1;
  std::vector<double> sum(static_cast<std::size_t>(image.width));
  std::vector<Int32> count(sum.size());
  for (double lean = -kMaxLean; lean <= kMaxLean + 1e-9; lean += kLeanStep) {
    const double slope = std::tan(lean * std::numbers::pi / 180);
    std::fill(sum.begin(), sum.end(), 0.0);
    std::fill(count.begin(), count.end(), 0);
    for (Int32 y = 0; y < image.height; y += kSampleStep) {
      const Int32 shift = static_cast<Int32>(std::lround((y - middle) * slope));
      const UInt8* row = image.Row(y);
      for (Int32 x = std::max(0, -shift); x < image.width && x + shift < image.width; ++x) {
        sum[x] += row[x + shift];
        ++count[x];
      }
    }
    double sharpness = 0;
    for (std::size_t x = 1; x < sum.size(); ++x) {
      if (count[x] == 0 || count[x - 1] == 0) continue;
      const double d = sum[x] / count[x] - sum[x - 1] / count[x - 1];
      sharpness += d * d;
    }
    if (sharpness > bestSharpness) bestSharpness = sharpness, best = lean;
  }
  return best;
}

// The direction flag a patch is read under: bars within kStraightDegrees of
// standing are read along the rows, of lying along the columns.
UInt32 DirectionOf(double degrees) {
  const double off = std::fabs(degrees);
  if (off <= kStraightDegrees) return kDirectionHorizontal;
  return off >= 90 - kStraightDegrees ? kDirectionVertical : kDirectionDiagonal;
}

}  // namespace

std::vector<BarPatch> FindBarPatches(const LumaView& view) {
  std::vector<BarPatch> patches;
  const Int32 cols = view.width / kCell, rows = view.height / kCell;
  if (cols < kMinSpanCells || rows < kMinSpanCells) return patches;
  std::vector<Cell> cells(static_cast<std::size_t>(cols) * rows);
  for (Int32 r = 0; r < rows; ++r) {
    for (Int32 c = 0; c < cols; ++c) cells[r * cols + c] = Measure(view, c * kCell, r * kCell);
  }
  JudgeCells(cells, cols, rows);
  // Cells of bars joined while their directions agree with a neighbour's.
  std::vector<Piece> pieces;
  std::vector<bool> seen(cells.size(), false);
  std::vector<Int32> stack;
  for (Int32 start = 0; start < static_cast<Int32>(cells.size()); ++start) {
    if (seen[start] || !cells[start].bars) continue;
    seen[start] = true;
    stack.assign(1, start);
    Piece piece{cols, -1, rows, -1, 0, 0, {}, {}};
    while (!stack.empty()) {
      const Int32 i = stack.back();
      stack.pop_back();
      const Int32 r = i / cols, c = i % cols;
      piece.c0 = std::min(piece.c0, c), piece.c1 = std::max(piece.c1, c);
      piece.r0 = std::min(piece.r0, r), piece.r1 = std::max(piece.r1, r);
      ++piece.count;
      piece.noisy += cells[i].noisy ? 1 : 0;
      piece.members.push_back(i);
      piece.sum.xx += cells[i].xx, piece.sum.yy += cells[i].yy, piece.sum.xy += cells[i].xy;
      const Int32 next[4][2] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
      for (const auto& [nr, nc] : next) {
        if (nr < 0 || nr >= rows || nc < 0 || nc >= cols) continue;
        const Int32 j = nr * cols + nc;
        if (seen[j] || !cells[j].bars ||
            Apart(cells[j].degrees, cells[i].degrees) > kMaxTurnDegrees) {
          continue;
        }
        seen[j] = true;
        stack.push_back(j);
      }
    }
    pieces.push_back(piece);
  }
  MergePieces(pieces);
  for (const Piece& piece : pieces) {
    if (piece.count < kMinCells || piece.c1 - piece.c0 + 1 < kMinSpanCells ||
        piece.r1 - piece.r0 + 1 < kMinSpanCells || Across(piece, cols) < kMinAcrossCells) {
      continue;
    }
    const Int32 width = (piece.c1 - piece.c0 + 1) * kCell;
    const Int32 height = (piece.r1 - piece.r0 + 1) * kCell;
    const Int32 margin =
        std::max(2 * kCell, static_cast<Int32>(kMarginShare * std::max(width, height)));
    BarPatch patch;
    patch.left = std::max(0, piece.c0 * kCell - margin);
    patch.top = std::max(0, piece.r0 * kCell - margin);
    patch.width = std::min(view.width, (piece.c1 + 1) * kCell + margin) - patch.left;
    patch.height = std::min(view.height, (piece.r1 + 1) * kCell + margin) - patch.top;
    patch.degrees = Direction(piece.sum);
    patch.cells = piece.count;
    patch.noisy = 2 * piece.noisy >= piece.count;
    patches.push_back(patch);
  }
  std::stable_sort(patches.begin(), patches.end(),
                   [](const BarPatch& a, const BarPatch& b) { return a.cells > b.cells; });
  if (patches.size() > kMaxBarPatches) patches.resize(kMaxBarPatches);
  return patches;
}

bool ReadBarPatches(const LumaView& area, CropReader& reader, const PassSpec& pass,
                    UInt32 directions) {
  PassSpec rows = pass;
  rows.tryRotate = false;
  for (const BarPatch& patch : FindBarPatches(area)) {
    if (reader.Expired()) return false;
    if ((DirectionOf(patch.degrees) & directions) == 0 ||
        Int64{patch.width} * patch.height > kMaxPatchPixels ||
        reader.Found({patch.left + patch.width / 2.0, patch.top + patch.height / 2.0})) {
      continue;
    }
    DerivedImage cut = CropPadded(area, patch.left, patch.top, patch.width, patch.height);
    // Turned so that the direction across the bars runs along the rows, by
    // the cells' direction and then by what the bars still lean.
    double degrees = patch.degrees;
    degrees += std::fabs(degrees) >= kMinTurnDegrees
                   ? Lean(RotateByDegrees(ViewOf(cut.image), -degrees).image)
                   : Lean(cut.image);
    const bool turn = std::fabs(degrees) >= kMinTurnDegrees;
    DerivedImage upright = turn ? RotateByDegrees(ViewOf(cut.image), -degrees) : std::move(cut);
    const AffineMap toArea = turn ? cut.toSource.After(upright.toSource) : upright.toSource;
    if (reader.Read(ViewOf(upright.image), toArea, rows, rows.symbologies) > 0) continue;
    // A dim photo's noise, averaged away along the bars.
    if (!patch.noisy) continue;
    SmoothColumns(upright.image, kAlongBarsRadius);
    reader.Read(ViewOf(upright.image), toArea, rows, rows.symbologies);
  }
  return true;
}

}  // namespace vexo::engine
