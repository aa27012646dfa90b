#pragma once
// Rows of postal bars drawn by our own code: any state sequence at any pitch
// and bar width, with the ragged ends and gaps of inkjet printing.

#include <string_view>
#include <vector>

#include "engine/bars/BarHeights.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::test {

struct BarGeometry {
  double pitch = 9;  // pixels from one bar's start to the next
  Int32 width = 3;
  Int32 ascender = 10;  // the three zones of a bar, top to bottom
  Int32 tracker = 8;
  Int32 descender = 10;
  Int32 ragged = 0;   // each bar end moves up to this many pixels either way
  double holes = 0;   // share of bar pixels left white
  unsigned seed = 1;  // of the raggedness and the holes
  Int32 margin = 30;  // white around the bars
};

// "FADT" letters as states (full, ascender, descender, tracker) and back.
std::vector<engine::BarState> StatesOf(std::string_view letters);
std::string LettersOf(const std::vector<engine::BarState>& states);

// The bars upright on a white image.
Gray DrawBars(const std::vector<engine::BarState>& states, const BarGeometry& geometry);

}  // namespace vexo::test
