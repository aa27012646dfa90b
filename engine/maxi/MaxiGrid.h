#pragma once
// The cell grid of a Maxi Code, in units of the cell pitch (the distance
// between neighbouring hexagon centres), x to the right and y down, with the
// bullseye's centre at the origin: 33 rows of 30 cells, each odd row shifted
// right by half a pitch, rows sqrt(3)/2 pitches apart; the bullseye's centre
// is the centre of cell (16, 14).

#include <array>

#include "engine/core/Geometry.h"

namespace vexo::engine::maxi {

constexpr int kRows = 33;
constexpr int kColumns = 30;
constexpr double kRowPitch = 0.86602540378443865;  // sqrt(3)/2

// The bullseye's edges, radii from its centre outwards: the light centre
// ends, then three dark rings with light rings between them.
constexpr std::array<double, 6> kRingEdges{0.59, 1.365, 2.14, 2.92, 3.69, 4.47};
// The middles of its three dark rings.
constexpr std::array<double, 3> kDarkRingMiddles{(kRingEdges[0] + kRingEdges[1]) / 2,
                                                 (kRingEdges[2] + kRingEdges[3]) / 2,
                                                 (kRingEdges[4] + kRingEdges[5]) / 2};

// The symbol's outline: left, right, top and bottom edges (the hexagons'
// outer sides and tips).
constexpr double kLeftEdge = -14.5;
constexpr double kRightEdge = 16.0;
constexpr double kTopEdge = -16 * kRowPitch - 0.57735026918962576;
constexpr double kBottomEdge = 16 * kRowPitch + 0.57735026918962576;

struct Cell {
  int row;
  int column;
};

// The centre of a cell.
PointD CellCentre(int row, int column);
// True for the cells the bullseye covers: they hold no data.
bool InBullseye(int row, int column);

// The six clusters of three cells around the bullseye that fix the symbol's
// orientation, with the shade each has.
struct OrientationCell {
  Cell cell;
  bool dark;
};
extern const std::array<OrientationCell, 18> kOrientationCells;

// Dark when `distance` (in cell pitches) from the bullseye's centre falls on
// one of its dark rings.
bool OnDarkRing(double distance);

}  // namespace vexo::engine::maxi
