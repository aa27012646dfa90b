// Fuzz target: the Micro PDF417 row reader and row joining over arbitrary run
// widths. Each byte is one run, 1/4 pixel per unit; a zero byte ends a scan
// line. The rows read on all lines are joined into symbols.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/stacked/MicroPdf417Rows.h"
#include "engine/stacked/MicroPdf417Symbol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexo::engine;
  std::vector<micropdf::PlacedRow> placed;
  RunRow row;
  float line = 0;
  auto finish = [&] {
    std::vector<micropdf::RowRead> reads;
    micropdf::ReadRows(row, reads);
    for (const auto& read : reads) placed.push_back({read, line});
    row = {};
    line += 1;
  };
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      finish();
      continue;
    }
    row.starts.push_back(row.length);
    row.widths.push_back(static_cast<float>(data[i]) / 4.0F);
    row.length += row.widths.back();
  }
  finish();
  (void)micropdf::JoinRows(std::move(placed));
  return 0;
}
