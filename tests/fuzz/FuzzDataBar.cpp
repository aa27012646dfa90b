// Fuzz target: our DataBar decoding over arbitrary input. The first byte
// chooses the part: run widths for the DataBar Limited row decoder and the
// segments of stacked DataBar (each further byte one run, a quarter pixel per
// step), or 12-bit data characters for the DataBar Expanded data decoder.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/linear/DataBarLimited.h"
#include "engine/stacked/DataBarSegments.h"
#include "engine/stacked/ExpandedData.h"

namespace {

using namespace vexo;
using namespace vexo::engine;

void Runs(const std::uint8_t* data, std::size_t size) {
  RunRow row;
  float position = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const float width = 0.25F * static_cast<float>(data[i] + 1);
    row.starts.push_back(position);
    row.widths.push_back(width);
    position += width;
  }
  row.length = position;
  std::vector<LineRead> reads;
  ReadDataBarLimited(row, reads);
  std::vector<databar::Segment> segments;
  databar::FindSegments(row, segments);
  for (const databar::Chain& chain : databar::Chains(segments)) {
    static_cast<void>(databar::ExpandedContent(chain));
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
      static_cast<void>(databar::DataBarContent(chain[i], chain[i + 1]));
    }
  }
}

void Characters(const std::uint8_t* data, std::size_t size) {
  std::vector<Int32> characters;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    characters.push_back((data[i] << 8 | data[i + 1]) & 0xFFF);
  }
  static_cast<void>(databar::ExpandedElementString(characters));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    Runs(data + 1, size - 1);
  } else {
    Characters(data + 1, size - 1);
  }
  return 0;
}
