#pragma once
// The engine's symbologies: one row each in the table of Symbology.cpp, which
// gives the engine code reported in results, the feature bit that enables its
// family, and the reader that reads it.

#include <bitset>
#include <cstddef>
#include <optional>

#include "Common/Types.h"

namespace vexo::engine {

enum class Symbology : UInt8 {
  Ean13,
  Ean8,
  UpcA,
  UpcE,
  Code39,
  Code128,
  Interleaved2of5,
  Codabar,
  Gs1_128,
  Code93,
  EanExt5,
  EanExt2,
  Msi,
  Code11,
  Standard2of5,
  DataBar,
  DataBarLimited,
  DataBarExpanded,
  PatchCode,
  PostNet,
  Planet,
  AustraliaPost,
  Rm4scc,
  Usps4cb,
  DataBarStacked,
  DataBarExpandedStacked,
  PharmaCode,
  Pdf417,
  MicroPdf417,
  QrCode,
  DataMatrix,
  Aztec,
  MaxiCode,
  MicroQrCode,
  Count
};
inline constexpr std::size_t kSymbologyCount = static_cast<std::size_t>(Symbology::Count);
using SymbologySet = std::bitset<kSymbologyCount>;

// The readers of the engine (engine/Engine.cpp builds the list). A symbology
// is read when the reader of its row is in that list.
enum class ReaderKind : UInt8 {
  None,            // no reader yet
  Library,         // zxing-cpp (engine/zx)
  Bars,            // our width-based linear decoders (engine/linear over engine/bars)
  Postal,          // our height-based postal decoders (engine/postal)
  StackedDataBar,  // our stacked DataBar reader (engine/stacked)
  MicroPdf417,     // our Micro PDF417 reader (engine/stacked)
  Zbar,            // zbar (engine/zbar): a second reader of linear symbologies no row names it for
};

struct SymbologyInfo {
  Symbology symbology;
  UInt32 code;        // engine code: in results, and (alone) in a search list
  UInt32 featureBit;  // the OpenBarcodeReader feature that enables the family
  ReaderKind reader;  // the reader that reads it
};

// The symbologies whose row names `reader`.
SymbologySet SymbologiesOf(ReaderKind reader);

const SymbologyInfo& Info(Symbology symbology);

// Result codes of the two symbologies whose code carries the symbol size.
inline constexpr Int32 kQrVersionCount = 40;
inline constexpr Int32 kDataMatrixSizeCount = 30;
// 0x08000300 + version for versions 1..40; the base code for any other value.
UInt32 QrCodeResultCode(Int32 version);
// 0x10000100 + size index 1..30; 0x1000011F for any other value.
UInt32 DataMatrixResultCode(Int32 sizeIndex);
constexpr std::size_t Index(Symbology symbology) { return static_cast<std::size_t>(symbology); }

}  // namespace vexo::engine
