#pragma once
// The fixed tables of Micro PDF417 (ISO/IEC 24728): the bar-space patterns of
// the 929 codewords in each of the three clusters (those of PDF417), the 52
// row address patterns of the sides and of the centre, and the 34 symbol
// sizes. The data lives in MicroPdf417Tables.cpp, which
// tools/make-micropdf417-tables.py writes.

#include <array>

#include "Common/Types.h"

namespace vexo::engine::micropdf {

inline constexpr int kCodewordCount = 929;
inline constexpr int kClusterCount = 3;  // clusters 0, 3 and 6, at indexes 0, 1, 2
inline constexpr int kRowAddressCount = 52;
inline constexpr int kSymbolSizeCount = 34;
inline constexpr int kCodewordModules = 17;
inline constexpr int kRowAddressModules = 10;

struct SymbolSize {
  UInt8 columns;      // data columns, 1 to 4
  UInt8 rows;         // 4 to 44
  UInt8 ecCount;      // error-correction codewords
  UInt8 leftStart;    // row address pattern (1 to 52) of the top row's left side
  UInt8 centreStart;  // of its centre (0: no centre, 1- and 2-column symbols)
  UInt8 rightStart;   // of its right side
};

extern const std::array<std::array<UInt32, kCodewordCount>, kClusterCount> kCodewordPatterns;
extern const std::array<UInt16, kRowAddressCount> kSideRowAddress;
extern const std::array<UInt16, kRowAddressCount> kCentreRowAddress;
extern const std::array<SymbolSize, kSymbolSizeCount> kSymbolSizes;

}  // namespace vexo::engine::micropdf
