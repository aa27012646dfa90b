#pragma once
// One row of a Micro PDF417 symbol on one scan line: its left row address
// pattern, one to four codewords (a centre row address pattern among them in
// 3- and 4-column symbols) and its right row address pattern.

#include <array>
#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::engine::micropdf {

struct RowRead {
  int columns = 0;  // data columns, 1 to 4
  int left = 0;     // row address pattern numbers, 1 to 52
  int centre = 0;   // 0 for 1- and 2-column symbols
  int right = 0;
  std::array<int, 4> codewords{-1, -1, -1, -1};  // -1: not read
  // Line positions of the symbol's left edge (the left row address pattern's
  // first bar) and right edge (after the stop bar); left > right when the row
  // reads from the end of the line towards its start.
  float leftEdge = 0;
  float rightEdge = 0;
  float module = 0;  // module width in pixels
};

// A left row address pattern followed by a codeword of its row's cluster
// where no whole row could be read: the line may cross a symbol's rows at a
// slant.
struct LeftAnchor {
  float position = 0;  // of the pattern's first bar
  int left = 0;        // its number
  float module = 0;
  bool reversed = false;
};

// Every row found on the line, read in both directions, and, when `anchors`
// is given, the left anchors of rows not read whole. Work is bounded by the
// number of runs.
void ReadRows(const RunRow& row, std::vector<RowRead>& out,
              std::vector<LeftAnchor>* anchors = nullptr);

}  // namespace vexo::engine::micropdf
