#include "engine/maxi/MaxiGrid.h"

#include <cmath>

namespace vexo::engine::maxi {
namespace {

constexpr int kCentreRow = 16;
constexpr int kCentreColumn = 14;
// Cells whose centre lies this close to the bullseye's centre overlap its
// outer ring.
constexpr double kBullseyeCellRadius = 4.6;

}  // namespace

// Each cluster: the cell six pitches out on one of the six axes through the
// bullseye, the cell seven out on it, and the cell between them turned
// clockwise.
const std::array<OrientationCell, 18> kOrientationCells{{
    {{16, 20}, true},
    {{16, 21}, false},
    {{17, 20}, true},  // right
    {{10, 17}, false},
    {{9, 17}, false},
    {{10, 18}, false},  // upper right
    {{10, 11}, true},
    {{9, 10}, true},
    {{9, 11}, true},  // upper left
    {{16, 8}, true},
    {{16, 7}, false},
    {{15, 7}, true},  // left
    {{22, 11}, false},
    {{23, 10}, true},
    {{22, 10}, true},  // lower left
    {{22, 17}, true},
    {{23, 17}, true},
    {{23, 16}, false},  // lower right
}};

PointD CellCentre(int row, int column) {
  const double shift = (row % 2 == 1) ? 0.5 : 0.0;
  return {column - kCentreColumn + shift, (row - kCentreRow) * kRowPitch};
}

bool InBullseye(int row, int column) {
  const PointD p = CellCentre(row, column);
  return std::hypot(p.x, p.y) <= kBullseyeCellRadius;
}

bool OnDarkRing(double distance) {
  int edges = 0;
  for (double edge : kRingEdges) edges += distance >= edge ? 1 : 0;
  return edges % 2 == 1;
}

}  // namespace vexo::engine::maxi
