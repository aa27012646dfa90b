#pragma once
// Where a symbol that several scan lines read lies in the view: the lines are
// tilted to follow its bars (a symbol turned a few degrees off the lines, as
// a turned crop leaves it), grown outwards while they still read it, and the
// band they cover gives the four corners.

#include <array>
#include <vector>

#include "engine/bars/RunRow.h"
#include "engine/core/Geometry.h"
#include "engine/core/LumaView.h"

namespace vexo::engine {

// The scan lines of a view: its rows, or its columns.
struct ScanAxis {
  const LumaView& view;
  bool columns;

  Int32 Lines() const { return columns ? view.width : view.height; }
  Int32 Length() const { return columns ? view.height : view.width; }
  RunRow Scan(Int32 line) const;
  // The view point at `along` on a line, `across` lines from the first.
  PointD Point(double along, double across) const {
    return columns ? PointD{across, along} : PointD{along, across};
  }
};

// One line's read of the symbol.
struct BandLine {
  Int32 line;
  float begin, end;
};

struct SymbolBand {
  // Top-left, top-right, bottom-right, bottom-left as the symbol is read.
  std::array<PointD, 4> corners;
  double height = 0;  // of the bars, in lines
};

// The band of the symbol `read` whose reads on `lines` (in line order) are
// given; `decode` reads the lines grown outwards.
SymbolBand BandOf(const ScanAxis& axis, RowDecoder decode, const LineRead& read,
                  const std::vector<BandLine>& lines);

}  // namespace vexo::engine
