#pragma once
// The symbol size of a QR Code or Datamatrix read, learned from the number of
// data codewords the symbol holds.

#include "Common/Types.h"

namespace vexo::engine {

// QR Code version 1..40 for `ecLevel` 'L', 'M', 'Q' or 'H'; 0 when no
// version holds exactly `dataCodewords` at that level.
Int32 QrVersionFromCodewords(char ecLevel, Int32 dataCodewords);

// Datamatrix size index 1..30 (24 square sizes, then 6 rectangular ones);
// `aspect` is the symbol's measured width / height and settles the sizes that
// hold the same number of codewords. 0 when no size fits.
Int32 DataMatrixSizeFromCodewords(Int32 dataCodewords, double aspect);

}  // namespace vexo::engine
