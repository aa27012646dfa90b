#include "engine/zbar/ZbarReader.h"

#include <zbar.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "engine/image/Sharpen.h"

namespace vexo::engine {
namespace {

// zbar's C interface, which its header puts in a namespace for C++.
using namespace zbar;

struct ZbarRow {
  Symbology symbology;
  zbar_symbol_type_t type;
  // Scan lines that must read the symbol alike: more for the symbologies
  // whose checks are weak or optional, whose reads a few lines through text
  // or a torn symbol can imitate.
  int minLines;
};

// What zbar reads of ours. Its QR Code, PDF417, add-on and DataBar readers
// stay off: the first reader reads those, their contents would need
// converting to its form, and zbar reads the rows of a stacked DataBar as
// the single-row kind, which the first reader's reads are kept from.
constexpr std::array<ZbarRow, 9> kZbarRows{{
    {Symbology::Ean13, ZBAR_EAN13, 2},
    {Symbology::Ean8, ZBAR_EAN8, 2},
    {Symbology::UpcA, ZBAR_UPCA, 2},
    {Symbology::UpcE, ZBAR_UPCE, 3},
    {Symbology::Code39, ZBAR_CODE39, 3},
    {Symbology::Code128, ZBAR_CODE128, 2},
    {Symbology::Interleaved2of5, ZBAR_I25, 4},
    {Symbology::Codabar, ZBAR_CODABAR, 4},
    {Symbology::Code93, ZBAR_CODE93, 2},
}};

const ZbarRow* RowOf(zbar_symbol_type_t type) {
  const auto row = std::find_if(kZbarRows.begin(), kZbarRows.end(),
                                [&](const ZbarRow& r) { return r.type == type; });
  return row == kZbarRows.end() ? nullptr : &*row;
}

struct ScannerDeleter {
  void operator()(zbar_image_scanner_t* scanner) const { zbar_image_scanner_destroy(scanner); }
};
struct ImageDeleter {
  void operator()(zbar_image_t* image) const { zbar_image_destroy(image); }
};
using ScannerPtr = std::unique_ptr<zbar_image_scanner_t, ScannerDeleter>;
using ImagePtr = std::unique_ptr<zbar_image_t, ImageDeleter>;

// zbar's 8-bit grey format.
constexpr unsigned long kGrey = zbar_fourcc('Y', '8', '0', '0');

// Views up to this many pixels are scanned on every line.
constexpr Int64 kEveryLinePixels = 500'000;
// Larger views are not read: on an A4 page at 300 dpi zbar's scan of every
// second line took more than the whole read without it (bench/compare.sh,
// the hard page), and a page's symbols come to it in the region crops. A
// photo of up to this size is read whole.
constexpr Int64 kMaxViewPixels = kSmallViewPixels;

// Averaged lines: each the mean of this many pixels either side along the
// bars.
constexpr Int32 kMeanRadius = 2;
// The light around a pixel: the mean of the square of this many pixels
// either side, wider than a few modules, narrower than a glare spot.
constexpr Int32 kSurroundRadius = 16;

ScannerPtr ScannerFor(const ViewSettings& settings, Int64 pixels, bool rows, bool columns) {
  ScannerPtr scanner(zbar_image_scanner_create());
  if (!scanner) return scanner;
  zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
  for (const ZbarRow& row : kZbarRows) {
    if (settings.symbologies.test(Index(row.symbology))) {
      zbar_image_scanner_set_config(scanner.get(), row.type, ZBAR_CFG_ENABLE, 1);
    }
  }
  // zbar reads UPC-A with its EAN-13 decoder, and names it UPC-A when that
  // is on too; an EAN-13 read that was not asked for is dropped below.
  if (settings.symbologies.test(Index(Symbology::UpcA))) {
    zbar_image_scanner_set_config(scanner.get(), ZBAR_EAN13, ZBAR_CFG_ENABLE, 1);
  }
  // Every row of a small view (a crop), every second of a larger one, where
  // a symbol spans more lines; columns only when the pass reads turned
  // linear symbols.
  const int density = pixels <= kEveryLinePixels ? 1 : 2;
  zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_Y_DENSITY, rows ? density : 0);
  zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_X_DENSITY,
                                columns ? density : 0);
  return scanner;
}

// Only printable ASCII: other bytes (Code 128's extended characters, GS1
// separators) are the first reader's, which knows how to report them.
bool PlainText(const char* data, unsigned length) {
  return length > 0 &&
         std::all_of(data, data + length, [](char c) { return c >= 0x20 && c < 0x7F; });
}

// The box of the points zbar gives (where the lines crossed the symbol's
// ends) in the frame of its reading direction: top-left, top-right,
// bottom-right, bottom-left as the symbol is read.
std::array<PointD, 4> CornersOf(const zbar_symbol_t* symbol) {
  const unsigned count = zbar_symbol_get_loc_size(symbol);
  double left = zbar_symbol_get_loc_x(symbol, 0), top = zbar_symbol_get_loc_y(symbol, 0);
  double right = left, bottom = top;
  for (unsigned i = 1; i < count; ++i) {
    const double x = zbar_symbol_get_loc_x(symbol, i), y = zbar_symbol_get_loc_y(symbol, i);
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
  }
  // A line's last point is that of its last pixel: the box ends after it.
  right += 1, bottom += 1;
  const PointD topLeft{left, top}, topRight{right, top};
  const PointD bottomRight{right, bottom}, bottomLeft{left, bottom};
  switch (zbar_symbol_get_orientation(symbol)) {
    case ZBAR_ORIENT_RIGHT:  // read top to bottom
      return {topRight, bottomRight, bottomLeft, topLeft};
    case ZBAR_ORIENT_DOWN:  // upside down
      return {bottomRight, bottomLeft, topLeft, topRight};
    case ZBAR_ORIENT_LEFT:  // read bottom to top
      return {bottomLeft, topLeft, topRight, bottomRight};
    default:
      return {topLeft, topRight, bottomRight, bottomLeft};
  }
}

bool Overlap(const std::array<PointD, 4>& a, const std::array<PointD, 4>& b) {
  const auto box = [](const std::array<PointD, 4>& c) {
    return std::array<double, 4>{
        std::min({c[0].x, c[1].x, c[2].x, c[3].x}), std::min({c[0].y, c[1].y, c[2].y, c[3].y}),
        std::max({c[0].x, c[1].x, c[2].x, c[3].x}), std::max({c[0].y, c[1].y, c[2].y, c[3].y})};
  };
  const auto p = box(a), q = box(b);
  return p[0] < q[2] && q[0] < p[2] && p[1] < q[3] && q[1] < p[3];
}

// Two reads of one symbology on the same bars with different contents: the
// lines through a damaged symbol read it otherwise, and either may be the
// wrong one (the weakly checked UPC-E above all), so neither is kept.
void DropConflicts(std::vector<Detection>& detections) {
  std::vector<bool> conflicted(detections.size(), false);
  for (std::size_t i = 0; i < detections.size(); ++i) {
    for (std::size_t j = i + 1; j < detections.size(); ++j) {
      const Detection &a = detections[i], &b = detections[j];
      if (a.symbology == b.symbology && a.content != b.content && Overlap(a.corners, b.corners)) {
        conflicted[i] = conflicted[j] = true;
      }
    }
  }
  std::size_t i = 0;
  std::erase_if(detections, [&](const Detection&) { return conflicted[i++]; });
}

// One scan of packed grey pixels along the rows and, with `columns`, the
// columns; a read must be seen on `extraLines` more lines than the symbology
// asks for.
std::vector<Detection> Scan(const UInt8* pixels, Int32 width, Int32 height,
                            const ViewSettings& settings, bool rows, bool columns, int extraLines) {
  std::vector<Detection> detections;
  ScannerPtr scanner = ScannerFor(settings, Int64{width} * height, rows, columns);
  ImagePtr image(zbar_image_create());
  if (!scanner || !image) return detections;
  zbar_image_set_format(image.get(), kGrey);
  zbar_image_set_size(image.get(), static_cast<unsigned>(width), static_cast<unsigned>(height));
  zbar_image_set_data(image.get(), pixels,
                      static_cast<unsigned long>(width) * static_cast<unsigned long>(height),
                      nullptr);
  if (zbar_scan_image(scanner.get(), image.get()) <= 0) return detections;
  for (const zbar_symbol_t* symbol = zbar_image_first_symbol(image.get()); symbol != nullptr;
       symbol = zbar_symbol_next(symbol)) {
    const ZbarRow* row = RowOf(zbar_symbol_get_type(symbol));
    if (row == nullptr || !settings.symbologies.test(Index(row->symbology))) continue;
    if (zbar_symbol_get_quality(symbol) <
        std::max<int>(row->minLines, settings.minLineCount) + extraLines) {
      continue;
    }
    // GS1 content is the first reader's to report as an element string.
    if ((zbar_symbol_get_modifiers(symbol) & (1u << ZBAR_MOD_GS1)) != 0) continue;
    const char* data = zbar_symbol_get_data(symbol);
    const unsigned length = zbar_symbol_get_data_length(symbol);
    if (data == nullptr || !PlainText(data, length) || zbar_symbol_get_loc_size(symbol) == 0) {
      continue;
    }
    Detection detection;
    detection.symbology = row->symbology;
    detection.code = Info(row->symbology).code;
    detection.content.assign(data, data + length);
    detection.corners = CornersOf(symbol);
    detections.push_back(std::move(detection));
    if (static_cast<Int32>(detections.size()) >= settings.maxNumberOfSymbols) break;
  }
  DropConflicts(detections);
  return detections;
}

std::vector<Detection> Read(const LumaView& view, const ViewSettings& settings) {
  if (view.Empty() || Int64{view.width} * view.height > kMaxViewPixels ||
      (settings.symbologies & ZbarSymbologies()).none()) {
    return {};
  }
  // zbar wants the rows packed: a view whose rows are packed is read as it
  // is, and copied only for the averaged lines.
  LumaImage packed;
  const auto pack = [&] {
    packed.width = view.width, packed.height = view.height;
    packed.pixels.resize(static_cast<std::size_t>(view.width) *
                         static_cast<std::size_t>(view.height));
    for (Int32 y = 0; y < view.height; ++y) std::copy_n(view.Row(y), view.width, packed.Row(y));
  };
  if (view.stride != view.width) pack();
  const UInt8* pixels = view.stride == view.width ? view.pixels : packed.pixels.data();
  std::vector<Detection> found =
      Scan(pixels, view.width, view.height, settings, true, settings.tryRotate, 0);
  if (!found.empty() || !settings.averagedLines) return found;
  if (packed.pixels.empty()) pack();
  // Lines averaged along the bars, each way that is scanned, then the same
  // with each pixel taken relative to the light around it. Neighbouring
  // lines now share most of their pixels, so a read must hold on more of
  // them.
  for (const bool rows : {true, false}) {
    if (!rows && !settings.tryRotate) break;
    LumaImage averaged = packed;
    if (rows) {
      SmoothColumns(averaged, kMeanRadius);
    } else {
      SmoothRows(averaged, kMeanRadius);
    }
    found = Scan(averaged.pixels.data(), view.width, view.height, settings, rows, !rows,
                 2 * kMeanRadius);
    if (!found.empty()) return found;
    RelativeToSurround(averaged, kSurroundRadius);
    found = Scan(averaged.pixels.data(), view.width, view.height, settings, rows, !rows,
                 2 * kMeanRadius);
    if (!found.empty()) return found;
  }
  return found;
}

}  // namespace

SymbologySet ZbarSymbologies() {
  SymbologySet set;
  for (const ZbarRow& row : kZbarRows) set.set(Index(row.symbology));
  return set;
}

std::vector<Detection> ReadWithZbar(const LumaView& view, const ViewSettings& settings) {
  try {
    return Read(view, settings);
  } catch (...) {  // out of memory: no detections
    return {};
  }
}

ViewReader ZbarViewReader() { return ReadWithZbar; }

std::vector<PassKind> ZbarPasses() {
  return {PassKind::Full, PassKind::Regions, PassKind::BarPatches, PassKind::Contrast,
          PassKind::Diagonal};
}

}  // namespace vexo::engine
