#pragma once
// What several width-based decoders need besides the scanner: the row read
// from its other end, quiet-zone checks, and the split of element widths into
// narrow and wide.

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::engine {

// The row read from its end towards its start, still beginning with a light
// run; positions are measured from the end.
RunRow Reversed(const RunRow& row);

// Reads the row with `forward`, which reads symbols left to right only, then
// reads the reversed row with it too and reports those reads in the row's own
// positions with `reversed` set.
void ReadBothWays(const RunRow& row, std::vector<LineRead>& out, RowDecoder forward);

// Reads the symbol whose first bar is run `bar`, if one starts there: adds
// it to `out` and sets `next` to the first run after it.
using SymbolReader = bool (*)(const RunRow& row, std::size_t bar, std::vector<LineRead>& out,
                              std::size_t& next);

// Tries `read` at every bar of the row from its start, going on after each
// symbol found. Each try moves on by at least one bar.
void ReadAtEveryBar(const RunRow& row, std::vector<LineRead>& out, SymbolReader read);

// Light run `index` is a quiet zone of at least `minWidth`. A run cut short by
// an end of the line counts when it holds half of that: the symbol stands at
// the edge of a crop, and its quiet zone goes on outside.
bool QuietZone(const RunRow& row, std::size_t index, float minWidth);

// Two classes of widths, narrow and wide, told apart at `threshold`.
struct WidthSplit {
  float narrow = 0;  // mean of the narrow ones
  float wide = 0;    // mean of the wide ones
  float threshold = 0;
};

// Splits `widths` at their largest ratio gap. Empty when they do not form two
// classes: a wide mean outside [minRatio, maxRatio] times the narrow mean, or
// a class whose members differ by more than the gap between the classes.
std::optional<WidthSplit> SplitWidths(std::vector<float> widths, float minRatio, float maxRatio);

// Sum of widths[first .. first + count - 1]; 0 when out of range.
float SumOf(const RunRow& row, std::size_t first, std::size_t count);

}  // namespace vexo::engine
