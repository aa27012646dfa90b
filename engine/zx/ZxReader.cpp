#include "engine/zx/ZxReader.h"

#define ZX_USE_UTF8 1
#include <ZXing/BarcodeFormat.h>
#include <ZXing/DecodeHints.h>
#include <ZXing/ImageView.h>
#include <ZXing/ReadBarcode.h>
#include <ZXing/Result.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include "engine/core/ViewTransform.h"
#include "engine/image/Sharpen.h"
#include "engine/maxi/MaxiSampler.h"
#include "engine/zx/LibraryAssertion.h"
#include "engine/zx/Quad.h"
#include "engine/zx/ReadMapping.h"

namespace vexo::engine {
namespace {

using ZXing::BarcodeFormat;
using ZXing::BarcodeFormats;

struct FormatRow {
  Symbology symbology;
  BarcodeFormat format;
};
// Our symbologies and the library format that finds them. GS1-128 is a
// Code 128 told apart by its symbology identifier; add-ons come with the
// EAN/UPC formats, which are looked for when only add-ons are wanted.
constexpr std::array<FormatRow, 18> kFormatRows{{
    {Symbology::Ean13, BarcodeFormat::EAN13},
    {Symbology::Ean8, BarcodeFormat::EAN8},
    {Symbology::UpcA, BarcodeFormat::UPCA},
    {Symbology::UpcE, BarcodeFormat::UPCE},
    {Symbology::Code39, BarcodeFormat::Code39},
    {Symbology::Code128, BarcodeFormat::Code128},
    {Symbology::Gs1_128, BarcodeFormat::Code128},
    {Symbology::Interleaved2of5, BarcodeFormat::ITF},
    {Symbology::Codabar, BarcodeFormat::Codabar},
    {Symbology::Code93, BarcodeFormat::Code93},
    {Symbology::DataBar, BarcodeFormat::DataBar},
    {Symbology::DataBarExpanded, BarcodeFormat::DataBarExpanded},
    {Symbology::Pdf417, BarcodeFormat::PDF417},
    {Symbology::QrCode, BarcodeFormat::QRCode},
    {Symbology::MicroQrCode, BarcodeFormat::MicroQRCode},
    {Symbology::DataMatrix, BarcodeFormat::DataMatrix},
    {Symbology::Aztec, BarcodeFormat::Aztec},
    {Symbology::MaxiCode, BarcodeFormat::MaxiCode},
}};
constexpr BarcodeFormats kEanUpcFormats =
    BarcodeFormat::EAN13 | BarcodeFormat::EAN8 | BarcodeFormat::UPCA | BarcodeFormat::UPCE;
// The library's DataBar readers join symbol halves seen on different lines.
// They are looked for with the rest in one scan of the lines. Where that
// finds one, or fails an assertion (the rows of a stacked symbol met again
// while collecting several symbols), the view is read again for DataBar one
// symbol at a time (ReadOneAtATime), which stops at the first symbol: the
// several-symbol read reports two DataBar symbols of one content as one, and
// for a stacked symbol it may report the other half's position.
constexpr BarcodeFormats kDataBarFormats = BarcodeFormat::DataBar | BarcodeFormat::DataBarExpanded;

// The library's pyramid of downscaled copies stays off. Under the assertion
// guard it no longer ends the process (1.4 fails an assertion when one linear
// symbol turns up on several of its layers), but on phone photos of QR Codes
// it found nothing that our half-size and reduced copies miss, at 8 % more
// time. Its two parameters keep the library's defaults.
constexpr uint16_t kUnusedDownscaleThreshold = 500;
constexpr uint8_t kUnusedDownscaleFactor = 3;
constexpr Int32 kMaxLibraryCount = 255;
// Aztec Code and Datamatrix of small modules (under about 3 pixels), turned
// by a few degrees or blurred, escape the library's finders in a crop where
// the same symbol upright, enlarged and sharp reads. With uprightRetry, views
// up to this size (a region crop, a small image) that gave none are read
// again so: their middle (a crop's blob with room around it) turned upright
// by the direction of its module grid, enlarged two or three times each way
// and sharpened.
constexpr BarcodeFormats kUprightFormats = BarcodeFormat::Aztec | BarcodeFormat::DataMatrix;
constexpr Int64 kMaxUprightPixels = 400'000;
constexpr Int64 kUprightEnlargedPixels = 600'000;
constexpr Int32 kMaxEnlargement = 3;
// Below this the crop's edges have no grid direction (a photo, a smudge).
constexpr double kMinGridStrength = 0.15;
// The library reads a Maxi Code only upright and square to the view; the
// region pass turns its crops by quarter turns. With uprightRetry a crop
// that gave none is also turned by the few degrees its hexagons lean: their
// edges give the turn modulo 60 degrees, the square grid measure modulo 90
// (45 for upright hexagons), and together the turn modulo 90 that the
// quarter turns complete.
constexpr double kMinHexStrength = 0.1;
constexpr double kMinMaxiTurn = 0.75;
// Views up to this size (a region crop, a small image) that gave no Maxi
// Code are looked at for a bullseye, and the symbol around one is sampled.
constexpr Int64 kMaxSampledMaxiPixels = 400'000;
constexpr std::size_t kRememberedViews = 4;
// A symbol of two pixels per cell spans 61 x 57 pixels: smaller views (a
// crop of a word's letter) cannot hold one.
constexpr Int32 kMinSampledMaxiSide = 60;

Symbology SymbologyOf(BarcodeFormat format) {
  for (const FormatRow& row : kFormatRows) {
    if (row.format == format) return row.symbology;
  }
  return Symbology::Count;
}

bool IsDataBar(BarcodeFormat format) { return kDataBarFormats.testFlag(format); }

bool IsDataBarRead(const LibraryRead& read) {
  return read.symbology == Symbology::DataBar || read.symbology == Symbology::DataBarExpanded;
}

bool WantsAddOns(const SymbologySet& symbologies) {
  return symbologies.test(Index(Symbology::EanExt2)) || symbologies.test(Index(Symbology::EanExt5));
}

// The formats of the wanted readable symbologies, for the DataBar pass or
// for the main one.
BarcodeFormats FormatsFor(const SymbologySet& symbologies, bool dataBarPass) {
  BarcodeFormats formats;
  for (const FormatRow& row : kFormatRows) {
    if (symbologies.test(Index(row.symbology)) &&
        Info(row.symbology).reader == ReaderKind::Library && IsDataBar(row.format) == dataBarPass) {
      formats |= row.format;
    }
  }
  if (!dataBarPass && WantsAddOns(symbologies)) formats |= kEanUpcFormats;
  return formats;
}

uint8_t LibraryCount(Int32 value, Int32 whenUnset) {
  return static_cast<uint8_t>(std::clamp(value > 0 ? value : whenUnset, 1, kMaxLibraryCount));
}

ZXing::DecodeHints MakeHints(const ViewSettings& settings, BarcodeFormats formats, bool addOns) {
  ZXing::DecodeHints hints;
  hints.setFormats(formats)
      .setTryHarder(settings.tryHarder)
      .setTryRotate(settings.tryRotate)
      .setTryDownscale(false)
      .setDownscaleThreshold(kUnusedDownscaleThreshold)
      .setDownscaleFactor(kUnusedDownscaleFactor)
      .setBinarizer(settings.localBinarizer ? ZXing::Binarizer::LocalAverage
                                            : ZXing::Binarizer::GlobalHistogram)
      .setIsPure(false)
      .setMinLineCount(LibraryCount(settings.minLineCount, 2))
      .setMaxNumberOfSymbols(LibraryCount(settings.maxNumberOfSymbols, kMaxLibraryCount))
      .setCharacterSet(std::string())
      .setTryCode39ExtendedMode(false)
      .setValidateCode39CheckSum(false)
      .setValidateITFCheckSum(false)
      .setReturnCodabarStartEnd(true)
      .setReturnErrors(false)
      .setEanAddOnSymbol(addOns ? ZXing::EanAddOnSymbol::Read : ZXing::EanAddOnSymbol::Ignore);
  return hints;
}

Quad QuadOf(const ZXing::Position& position) {
  Quad quad;
  for (std::size_t i = 0; i < quad.size(); ++i) {
    quad[i] = {static_cast<double>(position[i].x), static_cast<double>(position[i].y)};
  }
  return quad;
}

ContentKind KindOf(ZXing::ContentType type) {
  switch (type) {
    case ZXing::ContentType::Text:
      return ContentKind::Text;
    case ZXing::ContentType::GS1:
      return ContentKind::Gs1;
    default:
      return ContentKind::Other;
  }
}

LibraryRead Copy(const ZXing::Result& result) {
  LibraryRead read;
  read.symbology = SymbologyOf(result.format());
  read.symbologyId = result.symbologyIdentifier();
  const std::string ecLevel = result.ecLevel();
  read.ecLevel = ecLevel.size() == 1 ? ecLevel[0] : '\0';
  read.bytes.assign(result.bytes().begin(), result.bytes().end());
  read.kind = KindOf(result.contentType());
  read.hasEci = result.hasECI();
  const bool ascii =
      std::all_of(read.bytes.begin(), read.bytes.end(), [](UInt8 b) { return b < 0x80; });
  if (read.hasEci || !ascii) read.text = result.text();
  if (read.hasEci) {
    const ZXing::ByteArray eciBytes = result.bytesECI();
    read.eciBytes.assign(eciBytes.begin(), eciBytes.end());
  }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // The codewords are the one trace of the symbol size this version exposes.
  read.dataCodewords = static_cast<Int32>(result.rawBytes().size());
#pragma GCC diagnostic pop
  read.lineCount = result.lineCount();
  read.quad = QuadOf(result.position());
  return read;
}

bool SameSymbol(const LibraryRead& a, const LibraryRead& b) {
  if (a.symbology != b.symbology || a.bytes != b.bytes) return false;
  const PointD c = Center(b.quad);
  const PointD o = Center(a.quad);
  return std::hypot(c.x - o.x, c.y - o.y) <= TopLength(a.quad);
}

// Symbols one at a time: each found symbol is painted over in a copy of the
// view before the next read, so the library never meets two symbols of the
// same content in one search. With singleLine, reads seen on one line are
// accepted (DataBar carries its own check). The band of lines is grown to the
// symbol's height.
void ReadOneAtATime(const GrayView& view, const ViewSettings& settings, BarcodeFormats formats,
                    bool addOns, bool singleLine, Int32 limit, std::vector<LibraryRead>& reads) {
  ViewSettings single = settings;
  if (singleLine) single.minLineCount = 1;
  single.maxNumberOfSymbols = 1;
  const ZXing::DecodeHints hints = MakeHints(single, formats, addOns);
  std::vector<UInt8> painted;
  GrayView current = view;
  std::vector<LibraryRead> found;
  while (static_cast<Int32>(found.size()) < limit) {
    const ZXing::Results results =
        ZXing::ReadBarcodes(ZXing::ImageView(current.pixels, current.width, current.height,
                                             ZXing::ImageFormat::Lum, current.rowStride),
                            hints);
    if (results.empty() || !results.front().isValid()) break;
    LibraryRead read = Copy(results.front());
    read.quad = GrowLinearBand(current, OrientLinear(read.quad));
    read.bandGrown = true;
    const bool again = std::any_of(found.begin(), found.end(),
                                   [&](const LibraryRead& f) { return SameSymbol(f, read); });
    if (again) break;
    if (painted.empty()) {
      painted.resize(static_cast<std::size_t>(view.width) * view.height);
      for (Int32 y = 0; y < view.height; ++y) {
        std::memcpy(painted.data() + static_cast<std::size_t>(y) * view.width,
                    view.pixels + static_cast<std::ptrdiff_t>(y) * view.rowStride,
                    static_cast<std::size_t>(view.width));
      }
      current = {painted.data(), view.width, view.height, view.width};
    }
    PaintWhite(painted, view.width, view.height, read.quad, 2.0 + TopLength(read.quad) / 50.0);
    found.push_back(std::move(read));
  }
  reads.insert(reads.end(), found.begin(), found.end());
}

void ReadAll(const GrayView& view, const ViewSettings& settings, BarcodeFormats formats,
             bool addOns, std::vector<LibraryRead>& reads) {
  const ZXing::Results results =
      ZXing::ReadBarcodes(ZXing::ImageView(view.pixels, view.width, view.height,
                                           ZXing::ImageFormat::Lum, view.rowStride),
                          MakeHints(settings, formats, addOns));
  for (const ZXing::Result& result : results) {
    if (result.isValid()) reads.push_back(Copy(result));
  }
}

void ReadUpright(const GrayView& view, const ViewSettings& settings, BarcodeFormats wanted,
                 std::vector<LibraryRead>& reads) {
  BarcodeFormats formats;
  for (BarcodeFormat format : {BarcodeFormat::Aztec, BarcodeFormat::DataMatrix}) {
    const bool found = std::any_of(reads.begin(), reads.end(), [&](const LibraryRead& read) {
      return read.symbology == SymbologyOf(format);
    });
    if (wanted.testFlag(format) && !found) formats |= format;
  }
  const Int64 pixels = Int64{view.width} * view.height;
  if (formats.empty() || pixels > kMaxUprightPixels || view.width < 6 || view.height < 6) return;
  // The middle two thirds each way.
  const Int32 left = view.width / 6, top = view.height / 6;
  const GrayView middle{view.pixels + static_cast<std::ptrdiff_t>(top) * view.rowStride + left,
                        view.width - 2 * left, view.height - 2 * top, view.rowStride};
  const Int64 middlePixels = Int64{middle.width} * middle.height;
  const auto factor = std::min(
      static_cast<Int32>(std::sqrt(static_cast<double>(kUprightEnlargedPixels) / middlePixels)),
      kMaxEnlargement);
  if (factor < 2) return;
  const GridAngle grid =
      SquareGridAngle(middle.pixels, middle.rowStride, 0, 0, middle.width, middle.height);
  if (grid.strength < kMinGridStrength) return;
  DerivedImage copy = TurnedAndEnlarged(
      {middle.pixels, middle.width, middle.height, middle.rowStride}, -grid.degrees, factor);
  copy.toSource = AffineMap::Translation(left, top).After(copy.toSource);
  Sharpen(copy.image, factor);
  std::vector<LibraryRead> found;
  ReadAll({copy.image.pixels.data(), copy.image.width, copy.image.height, copy.image.width},
          settings, formats, false, found);
  for (LibraryRead& read : found) {
    for (PointD& p : read.quad) {
      const PointD back = copy.toSource.Apply(p);
      p = {std::round(back.x), std::round(back.y)};
    }
    reads.push_back(std::move(read));
  }
}

// The turn in (-45, 45] that stands the hexagons of a Maxi Code upright,
// or nothing when the view shows no hexagon grid.
std::optional<double> MaxiTurn(const GrayView& view) {
  const GridAngle hex = HexGridAngle(view.pixels, view.rowStride, 0, 0, view.width, view.height);
  if (hex.strength < kMinHexStrength) return std::nullopt;
  const GridAngle square =
      SquareGridAngle(view.pixels, view.rowStride, 0, 0, view.width, view.height);
  double best = hex.degrees, bestOff = 90;
  for (int k = -1; k <= 1; ++k) {
    const double turn = std::remainder(hex.degrees + 60 * k, 90.0);
    // Upright hexagons measure 45 degrees on the square grid measure.
    const double off = std::abs(std::remainder(turn - (square.degrees - 45), 90.0));
    if (off < bestOff) best = turn, bestOff = off;
  }
  return best;
}

void ReadTurnedMaxi(const GrayView& view, const ViewSettings& settings,
                    std::vector<LibraryRead>& reads) {
  const bool found = std::any_of(reads.begin(), reads.end(), [](const LibraryRead& read) {
    return read.symbology == Symbology::MaxiCode;
  });
  if (found || Int64{view.width} * view.height > kMaxUprightPixels || view.width < 3 ||
      view.height < 3) {
    return;
  }
  const std::optional<double> turn = MaxiTurn(view);
  if (!turn || std::abs(*turn) < kMinMaxiTurn) return;
  const DerivedImage copy =
      TurnedAndEnlarged({view.pixels, view.width, view.height, view.rowStride}, -*turn, 1);
  std::vector<LibraryRead> turned;
  ReadAll({copy.image.pixels.data(), copy.image.width, copy.image.height, copy.image.width},
          settings, BarcodeFormat::MaxiCode, false, turned);
  for (LibraryRead& read : turned) {
    for (PointD& p : read.quad) {
      const PointD back = copy.toSource.Apply(p);
      p = {std::round(back.x), std::round(back.y)};
    }
    reads.push_back(std::move(read));
  }
}

// The pixels of a view, whatever their order: a quarter turn of a view
// (the region pass turns its Maxi Code crops) has the same.
struct PixelSums {
  Int32 shorter = 0, longer = 0;
  UInt64 sum = 0, squares = 0;
  bool operator==(const PixelSums&) const = default;
};

PixelSums SumsOf(const GrayView& view) {
  PixelSums s{std::min(view.width, view.height), std::max(view.width, view.height), 0, 0};
  for (Int32 y = 0; y < view.height; ++y) {
    const UInt8* row = view.pixels + static_cast<std::ptrdiff_t>(y) * view.rowStride;
    for (Int32 x = 0; x < view.width; ++x) s.sum += row[x], s.squares += row[x] * row[x];
  }
  return s;
}

// A view that gave nothing but shows a bullseye: the symbol around it
// sampled cell by cell and drawn upright and clean, read in the drawing, its
// outline that of the sampled grid. A view in which the library read a
// symbol is that symbol's (a small image of one code): a Maxi Code beside it
// gets a crop of its own in the region pass.
void ReadSampledMaxi(const GrayView& view, const ViewSettings& settings,
                     std::vector<LibraryRead>& reads) {
  // The other binarizer's pass reads the same view again: the sampler has
  // no binarizer and is not run twice.
  if (!reads.empty() || !settings.localBinarizer ||
      Int64{view.width} * view.height > kMaxSampledMaxiPixels ||
      std::min(view.width, view.height) < kMinSampledMaxiSide) {
    return;
  }
  // Views the sampler read nothing in lately, a quarter turn of one of them
  // is not sampled again.
  thread_local std::array<PixelSums, kRememberedViews> unread{};
  thread_local std::size_t next = 0;
  const PixelSums sums = SumsOf(view);
  if (std::find(unread.begin(), unread.end(), sums) != unread.end()) return;
  const std::vector<MaxiDrawing> drawings =
      DrawMaxiCode({view.pixels, view.width, view.height, view.rowStride});
  for (const MaxiDrawing& drawing : drawings) {
    std::vector<LibraryRead> found;
    ReadAll({drawing.clean.pixels.data(), drawing.clean.width, drawing.clean.height,
             drawing.clean.width},
            settings, BarcodeFormat::MaxiCode, false, found);
    if (found.empty()) continue;
    found.front().quad = drawing.outline;
    reads.push_back(std::move(found.front()));
    return;
  }
  unread[next] = sums;
  next = (next + 1) % unread.size();
}

std::vector<Detection> Read(const GrayView& view, const ViewSettings& settings,
                            AreaReader stackedDataBars) {
  const BarcodeFormats mainFormats = FormatsFor(settings.symbologies, false);
  const BarcodeFormats dataBarFormats = FormatsFor(settings.symbologies, true);
  const bool addOns = WantsAddOns(settings.symbologies);
  const Int32 limit = LibraryCount(settings.maxNumberOfSymbols, kMaxLibraryCount);
  std::vector<LibraryRead> reads;
  const LibraryCall inside;
  bool dataBarAlone = false;
  try {
    ReadAll(view, settings, mainFormats | dataBarFormats, addOns, reads);
  } catch (const LibraryAssertion&) {
    // The linear search met a symbol twice: the matrix symbols in one
    // search, the linear ones one at a time.
    reads.clear();
    const BarcodeFormats matrix = mainFormats & BarcodeFormat::MatrixCodes;
    if (!matrix.empty()) ReadAll(view, settings, matrix, false, reads);
    const BarcodeFormats linear = mainFormats & BarcodeFormat::LinearCodes;
    const Int32 left = limit - static_cast<Int32>(reads.size());
    if (!linear.empty() && left > 0) {
      ReadOneAtATime(view, settings, linear, addOns, false, left, reads);
    }
    dataBarAlone = true;
  }
  const bool dataBarFound = std::any_of(reads.begin(), reads.end(), IsDataBarRead);
  if (settings.uprightRetry && !(mainFormats & kUprightFormats).empty()) {
    ReadUpright(view, settings, mainFormats, reads);
  }
  if (mainFormats.testFlag(BarcodeFormat::MaxiCode)) ReadSampledMaxi(view, settings, reads);
  if (settings.uprightRetry && mainFormats.testFlag(BarcodeFormat::MaxiCode)) {
    ReadTurnedMaxi(view, settings, reads);
  }
  if (!dataBarFormats.empty() && (dataBarAlone || dataBarFound)) {
    std::erase_if(reads, IsDataBarRead);
    const Int32 left = limit - static_cast<Int32>(reads.size());
    if (left > 0) ReadOneAtATime(view, settings, dataBarFormats, false, true, left, reads);
  }
  return MapReads(reads, view, settings.symbologies, stackedDataBars);
}

}  // namespace

std::vector<Detection> ReadWithZx(const UInt8* pixels, Int32 width, Int32 height, Int32 rowStride,
                                  const ViewSettings& settings, AreaReader stackedDataBars) {
  if (pixels == nullptr || width <= 0 || height <= 0 || rowStride < width) return {};
  if (FormatsFor(settings.symbologies, false).empty() &&
      FormatsFor(settings.symbologies, true).empty()) {
    return {};
  }
  try {
    return Read({pixels, width, height, rowStride}, settings, stackedDataBars);
  } catch (...) {
    return {};
  }
}

ViewReader ZxViewReader(AreaReader stackedDataBars) {
  return [stackedDataBars](const LumaView& view, const ViewSettings& settings) {
    return ReadWithZx(view.pixels, view.width, view.height, view.stride, settings, stackedDataBars);
  };
}

}  // namespace vexo::engine
