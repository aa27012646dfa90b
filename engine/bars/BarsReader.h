#pragma once
// The reader of our width-based decoders: scans lines of a view, runs the
// row decoders of the wanted symbologies on each, and keeps a symbol only
// where enough neighbouring lines read it alike and none reads it otherwise.

#include <vector>

#include "engine/bars/RunRow.h"
#include "engine/core/ViewReader.h"

namespace vexo::engine {

// Whether a read's content ends in check characters that verify.
using CheckRule = bool (*)(const std::vector<UInt8>& content);

struct RowDecoderEntry {
  Symbology symbology = Symbology::Count;
  RowDecoder decode = nullptr;
  // Null: every read the decoder gives has verified checks. Reads that have
  // none must be read alike on every line across the symbol.
  CheckRule checked = nullptr;
  // The symbol's bars are at least this share of its length high: text lines
  // and table rules give bar-like runs on a few lines only.
  float minHeightShare = 0.15f;
  // Lines with fewer runs are not given to the decoder: its shortest symbol
  // has more bars and spaces (and their quiet zones).
  std::size_t minRuns = 12;
  // Every scanned line from the first to the last that read the symbol must
  // read it (elsewhere a line that reads nothing, through a spot, is let
  // pass): for bars that stems of letters imitate, which the lines through
  // the letters' middles see beside their neighbours.
  bool gapless = false;
};
using RowDecoderTable = std::vector<RowDecoderEntry>;

// A CheckRule for symbologies without check characters.
bool NeverChecked(const std::vector<UInt8>& content);

// Lines scanned across a view: every kLineStep-th row (and column).
inline constexpr Int32 kLineStep = 4;
// A symbol without verified checks must be read alike on at least this many
// lines, and on every line across it that reads anything.
inline constexpr Int32 kMinUncheckedLines = 3;

// Reads the view with the decoders of `table` whose symbology is wanted.
std::vector<Detection> ReadBars(const LumaView& view, const ViewSettings& settings,
                                const RowDecoderTable& table);

// The symbologies that have a decoder in `table`.
SymbologySet DecodedBy(const RowDecoderTable& table);

// The reader's entry in the engine's reader list.
ViewReader BarsViewReader(const RowDecoderTable& table);

}  // namespace vexo::engine
