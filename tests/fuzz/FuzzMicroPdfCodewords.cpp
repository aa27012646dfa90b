// Fuzz target: arbitrary codeword lists through Micro PDF417 error correction
// and data decoding. The first byte picks the symbol size; each following
// pair of bytes is one codeword (0 to 928, or unread past that).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/stacked/MicroPdf417Symbol.h"
#include "engine/stacked/MicroPdf417Tables.h"
#include "engine/stacked/Pdf417Data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo::engine;
  if (size < 1) return 0;
  const int sizeIndex = data[0] % micropdf::kSymbolSizeCount;
  std::vector<int> codewords;
  for (std::size_t i = 1; i + 1 < size && codewords.size() < 400; i += 2) {
    const int value = (data[i] << 8) | data[i + 1];
    codewords.push_back(value < 929 ? value : value < 960 ? -1 : value % 929);
  }
  // As data alone: every list must decode or be refused, never crash.
  std::vector<int> plain;
  for (int c : codewords) plain.push_back(c < 0 ? 0 : c);
  (void)pdf417::DecodeData(plain);
  // As a whole symbol: the size's codeword count, unread ones as erasures.
  const micropdf::SymbolSize& symbolSize =
      micropdf::kSymbolSizes[static_cast<std::size_t>(sizeIndex)];
  codewords.resize(static_cast<std::size_t>(symbolSize.rows * symbolSize.columns), -1);
  std::vector<vexo::UInt8> content;
  (void)micropdf::DecodeCodewords(codewords, sizeIndex, content);
  return 0;
}
