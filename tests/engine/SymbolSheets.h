#pragma once
// Sheets of many symbols in a grid, as label printers and test sheets put
// them on a page: each symbol with its own content, 2-pixel modules, at exact
// spacing (so that the finder patterns of neighbours line up) or moved by a
// few pixels, and where each symbol lies.

#include <string>
#include <vector>

#include "tests/engine/SymbolImages.h"

namespace vexo::test {

enum class SheetKind { kQrSheet, kDataMatrixSheet, kCode128Sheet, kMixedSheet };

struct SheetSymbol {
  std::string content;    // as the engine reports it
  UInt32 code = 0;        // result code; QR Code and Datamatrix without their size
  UInt32 codeMask = 0;    // the bits of the result code that `code` gives
  engine::PointD centre;  // page coordinates
  double side = 0;        // the longer side, pixels
};

struct Sheet {
  Gray page;
  std::vector<SheetSymbol> symbols;
};

// `columns` x `rows` symbols (the mixed kind takes QR Code, Datamatrix, Code
// 128, EAN-13, PDF417 and Aztec Code in turn along rows and columns), each
// centred in its cell and moved by up to `jitter` pixels either way (the
// same on every run).
Sheet MakeSheet(SheetKind kind, Int32 columns, Int32 rows, Int32 jitter);
// The sheet turned clockwise by `degrees` on a white canvas just large enough
// (ImageMagick), with every centre moved along.
Sheet TurnedSheet(const Sheet& sheet, double degrees);

}  // namespace vexo::test
