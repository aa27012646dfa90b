#include "engine/stacked/MicroPdf417Reader.h"

#include <algorithm>

#include "engine/stacked/MicroPdf417Symbol.h"

namespace vexo::engine {
namespace {

using micropdf::PlacedRow;

// The runs of `count` samples `step` bytes apart: each sample is dark when
// under the midpoint of the darkest and lightest samples within a window
// around it; edges fall between samples where the luminance crosses that
// midpoint.
RunRow ScanSamples(const UInt8* first, std::ptrdiff_t step, Int32 count) {
  constexpr Int32 kBlock = 16;
  constexpr int kMinContrast = 24;
  RunRow row;
  row.length = static_cast<float>(count);
  if (count <= 0) return row;
  const Int32 blocks = (count + kBlock - 1) / kBlock;
  std::vector<UInt8> low(static_cast<std::size_t>(blocks), 255),
      high(static_cast<std::size_t>(blocks), 0);
  for (Int32 i = 0; i < count; ++i) {
    const UInt8 v = first[i * step];
    auto& lo = low[static_cast<std::size_t>(i / kBlock)];
    auto& hi = high[static_cast<std::size_t>(i / kBlock)];
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  // Threshold per block from the blocks around it.
  std::vector<int> threshold(static_cast<std::size_t>(blocks));
  int lastGood = 128;
  for (Int32 b = 0; b < blocks; ++b) {
    int lo = 255, hi = 0;
    for (Int32 k = std::max(0, b - 2); k <= std::min(blocks - 1, b + 2); ++k) {
      lo = std::min<int>(lo, low[static_cast<std::size_t>(k)]);
      hi = std::max<int>(hi, high[static_cast<std::size_t>(k)]);
    }
    if (hi - lo >= kMinContrast) lastGood = (lo + hi) / 2;
    threshold[static_cast<std::size_t>(b)] = hi - lo >= kMinContrast ? lastGood : -1;
  }
  bool dark = false;
  float runStart = 0;
  row.starts.push_back(0);
  for (Int32 i = 0; i < count; ++i) {
    const int t = threshold[static_cast<std::size_t>(i / kBlock)];
    const int v = first[i * step];
    const bool isDark = t >= 0 && v < t;
    if (isDark == dark) continue;
    // Sub-pixel crossing between the previous sample's centre and this one's.
    float edge = static_cast<float>(i);
    if (i > 0) {
      const int p = first[(i - 1) * step];
      const float at =
          p != v && t >= 0 ? static_cast<float>(p - t) / static_cast<float>(p - v) : 0.5F;
      edge = static_cast<float>(i) - 0.5F + std::clamp(at, 0.0F, 1.0F);
    }
    row.widths.push_back(edge - runStart);
    row.starts.push_back(edge);
    runStart = edge;
    dark = isDark;
  }
  row.widths.push_back(static_cast<float>(count) - runStart);
  return row;
}

void ScanLines(const LumaView& view, bool columns, std::vector<PlacedRow>& out) {
  const Int32 lines = columns ? view.width : view.height;
  const Int32 length = columns ? view.height : view.width;
  std::vector<micropdf::RowRead> reads;
  for (Int32 line = 0; line < lines; ++line) {
    const UInt8* first = columns ? view.pixels + line : view.Row(line);
    const RunRow runs = ScanSamples(first, columns ? view.stride : 1, length);
    reads.clear();
    micropdf::ReadRows(runs, reads);
    for (const auto& read : reads) out.push_back({read, static_cast<float>(line) + 0.5F});
  }
}

std::vector<Detection> Read(const LumaView& view, const ViewSettings& settings) {
  std::vector<Detection> found;
  if (view.Empty() || !settings.symbologies.test(Index(Symbology::MicroPdf417))) return found;
  for (const bool columns : {false, true}) {
    if (columns && !settings.tryRotate) break;
    std::vector<PlacedRow> rows;
    ScanLines(view, columns, rows);
    for (auto& symbol : micropdf::JoinRows(std::move(rows))) {
      Detection detection;
      detection.symbology = Symbology::MicroPdf417;
      detection.code = Info(Symbology::MicroPdf417).code;
      detection.content = std::move(symbol.content);
      for (std::size_t k = 0; k < 4; ++k) {
        const auto& [along, across] = symbol.corners[k];
        detection.corners[k] = columns ? PointD{across, along} : PointD{along, across};
      }
      found.push_back(std::move(detection));
    }
  }
  return found;
}

}  // namespace

ViewReader MicroPdf417ViewReader() {
  return [](const LumaView& view, const ViewSettings& settings) -> std::vector<Detection> {
    try {
      return Read(view, settings);
    } catch (...) {
      return {};
    }
  };
}

}  // namespace vexo::engine
