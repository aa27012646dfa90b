#pragma once
// Turns the library's reads, copied into our own terms, into detections:
// symbology and result code, content bytes and corners.

#include <string>
#include <vector>

#include "Common/Types.h"
#include "engine/zx/Quad.h"
#include "engine/zx/ZxReader.h"

namespace vexo::engine {

// How the library classes a read's content.
enum class ContentKind { Text, Gs1, Other };

struct LibraryRead {
  Symbology symbology = Symbology::Count;  // by the library's format; GS1-128 reads as Code 128
  std::string symbologyId;                 // "]C1" and the like
  char ecLevel = 0;                        // QR Code: 'L', 'M', 'Q' or 'H'
  std::vector<UInt8> bytes;                // EAN/UPC: main digits, then " " and the add-on
  ContentKind kind = ContentKind::Other;
  bool hasEci = false;
  std::string text;         // the library's UTF-8, when not ASCII or with an ECI
  std::string eciBytes;     // with an ECI: the bytes in ECI protocol form
  Int32 dataCodewords = 0;  // QR Code and Datamatrix
  Int32 lineCount = 0;      // linear symbols: scan lines it was seen on
  Quad quad{};              // as reported (linear: first and last scan line)
  bool bandGrown = false;   // quad already covers the symbol's height
};

// Detections of the symbologies in `wanted`. EAN/UPC reads of one symbol are
// joined, and an add-on becomes a detection of its own. A DataBar read that
// lies on a stacked symbol `stackedDataBars` finds is dropped (when given).
std::vector<Detection> MapReads(const std::vector<LibraryRead>& reads, const GrayView& view,
                                const SymbologySet& wanted, AreaReader stackedDataBars = nullptr);

}  // namespace vexo::engine
