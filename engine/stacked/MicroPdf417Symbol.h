#pragma once
// Joins the rows read on many scan lines into Micro PDF417 symbols: the row
// address patterns name the symbol size and each row's place in it; the
// codewords seen most often at each place, corrected with the symbol's
// error-correction codewords, give its data.

#include <array>
#include <vector>

#include "Common/Types.h"
#include "engine/stacked/MicroPdf417Rows.h"

namespace vexo::engine::micropdf {

// A row read on a line at `across` (y for a row of the view, x for a column).
struct PlacedRow {
  RowRead row;
  float across = 0;
};

struct SymbolRead {
  std::vector<UInt8> content;
  // Top-left, top-right, bottom-right, bottom-left as read, each as (position
  // along the lines, position across them).
  std::array<std::array<float, 2>, 4> corners{};
};

// Every symbol the rows make up; rows of different symbols may be mixed.
std::vector<SymbolRead> JoinRows(std::vector<PlacedRow> rows);

// The codewords of one symbol of `size` (kSymbolSizes index), row by row, to
// its data: error correction with the unread codewords (-1) as erasures, then
// the data codewords decoded. Empty when it does not correct or decode.
bool DecodeCodewords(std::vector<int> codewords, int sizeIndex, std::vector<UInt8>& content);

}  // namespace vexo::engine::micropdf
