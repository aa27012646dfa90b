// Fuzz target: every row decoder of the bars reader over arbitrary runs.
// The first byte chooses how the rest is read: even, as run widths (a byte
// is a quarter pixel, the first run light); odd, as the luminance samples of
// a scan line, cut into runs by the line scanner. Every read must lie on the
// line, in order, with content.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/bars/LineScanner.h"
#include "engine/linear/RowDecoders.h"

namespace {

constexpr float kQuarterPixel = 0.25f;

vexo::engine::RunRow WidthRow(const std::uint8_t* data, std::size_t size) {
  vexo::engine::RunRow row;
  for (std::size_t i = 0; i < size; ++i) {
    row.starts.push_back(row.length);
    row.widths.push_back(data[i] * kQuarterPixel);
    row.length += row.widths.back();
  }
  return row;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool samples = (data[0] & 1) != 0;
  const vexo::engine::RunRow row =
      samples ? vexo::engine::ScanSamples(data + 1, 1, static_cast<vexo::Int32>(size - 1))
              : WidthRow(data + 1, size - 1);
  std::vector<vexo::engine::LineRead> reads;
  for (const vexo::engine::RowDecoderEntry& entry : vexo::engine::RowDecoders()) {
    reads.clear();
    entry.decode(row, reads);
    for (const vexo::engine::LineRead& read : reads) {
      if (read.symbology != entry.symbology || read.content.empty() || !(read.begin < read.end) ||
          read.begin < 0 || read.end > row.length) {
        std::abort();
      }
    }
  }
  return 0;
}
