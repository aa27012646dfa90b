#pragma once
// The symbology codes a caller hands to FindBarcodes, turned into the set of
// symbologies to look for.
//
// Accepted codes:
//   0x80000001 .. 0x80020000  one linear symbology each; any union of these
//                             bits (0x8003FFFF: all eighteen) asks for each
//   0x04000001 .. 0x04000100  Patch Code, Post Net, Planet, Australia Post,
//                             RM4SCC, DataBar Stacked, DataBar Expanded
//                             Stacked, USPS4BC, Pharma Code (one bit each)
//   0x20002000 PDF417, 0x20000001 Micro PDF417, 0x08000001 QR Code,
//   0x10000001 / 0x10000002 / 0x10000004 Datamatrix, 0x21000000 Aztec Code,
//   0x22000000 Maxi Code, 0x24000000 Micro QR Code
// The codes are checked in list order and the first faulty one decides: a code
// not listed above gives kStatusUnknownSymbology; a code whose family was not
// enabled when the reader was opened gives kStatusFeatureNotEnabled.
// Symbologies that none of the engine's readers reads are accepted and dropped.

#include "Common/Types.h"
#include "engine/core/Symbology.h"
#include "wrapper/ImagingEngine.h"

namespace vexo::engine {

struct CodeSelection {
  EngineStatus status = kEngineSuccess;
  SymbologySet wanted;    // every symbology the codes name
  SymbologySet readable;  // the part of `wanted` in `readable`
};

CodeSelection SelectByCodes(const UInt32* codes, UInt32 count, UInt32 featureMask,
                            const SymbologySet& readable);

}  // namespace vexo::engine
