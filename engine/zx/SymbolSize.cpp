#include "engine/zx/SymbolSize.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace vexo::engine {
namespace {

// Data codewords of QR Code versions 1..40 at the levels L, M, Q, H.
constexpr std::array<std::array<Int16, 4>, 40> kQrDataCodewords{{
    {19, 16, 13, 9},         {34, 28, 22, 16},        {55, 44, 34, 26},
    {80, 64, 48, 36},        {108, 86, 62, 46},       {136, 108, 76, 60},
    {156, 124, 88, 66},      {194, 154, 110, 86},     {232, 182, 132, 100},
    {274, 216, 154, 122},    {324, 254, 180, 140},    {370, 290, 206, 158},
    {428, 334, 244, 180},    {461, 365, 261, 197},    {523, 415, 295, 223},
    {589, 453, 325, 253},    {647, 507, 367, 283},    {721, 563, 397, 313},
    {795, 627, 445, 341},    {861, 669, 485, 385},    {932, 714, 512, 406},
    {1006, 782, 568, 442},   {1094, 860, 614, 464},   {1174, 914, 664, 514},
    {1276, 1000, 718, 538},  {1370, 1062, 754, 596},  {1468, 1128, 808, 628},
    {1531, 1193, 871, 661},  {1631, 1267, 911, 701},  {1735, 1373, 985, 745},
    {1843, 1455, 1033, 793}, {1955, 1541, 1115, 845}, {2071, 1631, 1171, 901},
    {2191, 1725, 1231, 961}, {2306, 1812, 1286, 986}, {2434, 1914, 1354, 1054},
    {2566, 1992, 1426, 1096}, {2702, 2102, 1502, 1142}, {2812, 2216, 1582, 1222},
    {2956, 2334, 1666, 1276},
}};
constexpr std::array<char, 4> kQrLevels{'L', 'M', 'Q', 'H'};

struct DataMatrixSize {
  Int16 rows;
  Int16 columns;
  Int16 dataCodewords;
};
// In size-index order: index = position + 1.
constexpr std::array<DataMatrixSize, 30> kDataMatrixSizes{{
    {10, 10, 3},       {12, 12, 5},       {14, 14, 8},       {16, 16, 12},
    {18, 18, 18},      {20, 20, 22},      {22, 22, 30},      {24, 24, 36},
    {26, 26, 44},      {32, 32, 62},      {36, 36, 86},      {40, 40, 114},
    {44, 44, 144},     {48, 48, 174},     {52, 52, 204},     {64, 64, 280},
    {72, 72, 368},     {80, 80, 456},     {88, 88, 576},     {96, 96, 696},
    {104, 104, 816},   {120, 120, 1050},  {132, 132, 1304},  {144, 144, 1558},
    {8, 18, 5},        {8, 32, 10},       {12, 26, 16},      {12, 36, 22},
    {16, 36, 32},      {16, 48, 49},
}};
// A measured aspect ratio this far (as a factor) from a size's own still
// names it; the closest other size with the same codeword count is at least
// twice as far off.
constexpr double kAspectTolerance = 1.3;

}  // namespace

Int32 QrVersionFromCodewords(char ecLevel, Int32 dataCodewords) {
  for (std::size_t level = 0; level < kQrLevels.size(); ++level) {
    if (kQrLevels[level] != ecLevel) continue;
    for (std::size_t v = 0; v < kQrDataCodewords.size(); ++v) {
      if (kQrDataCodewords[v][level] == dataCodewords) return static_cast<Int32>(v + 1);
    }
  }
  return 0;
}

Int32 DataMatrixSizeFromCodewords(Int32 dataCodewords, double aspect) {
  if (!(aspect > 0.0)) return 0;
  Int32 best = 0;
  double bestError = std::log(kAspectTolerance);
  for (std::size_t i = 0; i < kDataMatrixSizes.size(); ++i) {
    const DataMatrixSize& size = kDataMatrixSizes[i];
    if (size.dataCodewords != dataCodewords) continue;
    const double error = std::fabs(std::log(aspect * size.rows / size.columns));
    if (error <= bestError) {
      bestError = error;
      best = static_cast<Int32>(i + 1);
    }
  }
  return best;
}

}  // namespace vexo::engine
