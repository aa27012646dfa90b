#include "engine/zx/ReadMapping.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "engine/zx/ContentText.h"
#include "engine/zx/Gs1Elements.h"
#include "engine/zx/SymbolSize.h"
#include "wrapper/ImagingEngine.h"

namespace vexo::engine {
namespace {

constexpr std::string_view kGs1_128Identifier = "]C1";
constexpr std::string_view kDataBarIdentifierAi = "01";
constexpr char kAddOnSeparator = ' ';
constexpr Int32 kAddOn2Modules = 20;
constexpr Int32 kAddOn5Modules = 47;

bool IsEanUpc(Symbology s) {
  return s == Symbology::Ean13 || s == Symbology::Ean8 || s == Symbology::UpcA ||
         s == Symbology::UpcE;
}

bool IsLinear(Symbology s) { return Info(s).featureBit == kFeatureLinear; }

// Around a library read, the share of its size (and pixels) searched for the
// stacked symbol it may be part of: the read may span a few rows of a turned
// symbol only.
constexpr double kStackedMarginShare = 1.0;
constexpr Int32 kStackedMinMargin = 8;

// The library joins the rows of a stacked DataBar symbol into one read that
// it names as the single-row kind. Stacked symbols form a group of their own
// (0x8) and our stacked reader (engine/stacked) tells them apart from what the
// page holds; a library read with the content of a stacked symbol found there
// is dropped, so that it is reported neither twice nor under the single-row
// name when only the linear group is asked for. So is a read that lies on a
// stacked symbol with other content: the library also joins halves of
// neighbouring stacked symbols, and such a join passes its checksum by chance.
bool PartOfStackedSymbol(const GrayView& view, const Quad& quad, const std::vector<UInt8>& content,
                         AreaReader stackedDataBars) {
  double readLeft = quad[0].x, readTop = quad[0].y, readRight = readLeft, readBottom = readTop;
  for (const PointD& p : quad) {
    readLeft = std::min<double>(readLeft, p.x), readRight = std::max<double>(readRight, p.x);
    readTop = std::min<double>(readTop, p.y), readBottom = std::max<double>(readBottom, p.y);
  }
  const Int32 margin = std::max(
      kStackedMinMargin, static_cast<Int32>(kStackedMarginShare *
                                            std::max(readRight - readLeft, readBottom - readTop)));
  const Int32 left = std::max(0, static_cast<Int32>(readLeft) - margin);
  const Int32 top = std::max(0, static_cast<Int32>(readTop) - margin);
  const Int32 right = std::min(view.width, static_cast<Int32>(readRight) + margin);
  const Int32 bottom = std::min(view.height, static_cast<Int32>(readBottom) + margin);
  if (right <= left || bottom <= top) return false;
  const LumaView area{view.pixels + static_cast<std::ptrdiff_t>(top) * view.rowStride + left,
                      right - left, bottom - top, view.rowStride};
  for (const Detection& stacked : stackedDataBars(area)) {
    if (stacked.content == content) return true;
    double x0 = stacked.corners[0].x, y0 = stacked.corners[0].y, x1 = x0, y1 = y0;
    for (const PointD& p : stacked.corners) {
      x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
      y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    if (x0 + left < readRight && x1 + left > readLeft && y0 + top < readBottom &&
        y1 + top > readTop) {
      return true;
    }
  }
  return false;
}

// Width of the main symbol in modules, guards included.
Int32 MainModules(Symbology s) {
  switch (s) {
    case Symbology::Ean8:
      return 67;
    case Symbology::UpcE:
      return 51;
    default:
      return 95;
  }
}

// Smallest gap between main symbol and add-on, in modules.
Int32 MinAddOnGap(Symbology s) { return s == Symbology::UpcA ? 9 : 7; }

std::vector<UInt8> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// One EAN/UPC symbol, seen on one or more bands of scan lines.
struct EanSymbol {
  Symbology symbology;
  std::string digits;
  Quad quad;
  std::string addOn;  // the add-on read on the most lines
  Quad addOnBand{};
  Int32 addOnLines = 0;
};

class Mapper {
 public:
  Mapper(const GrayView& view, const SymbologySet& wanted, AreaReader stackedDataBars)
      : view_(view), wanted_(wanted), stackedDataBars_(stackedDataBars) {}

  void Add(const LibraryRead& read) {
    if (IsEanUpc(read.symbology)) {
      AddEanUpc(read);
      return;
    }
    Symbology symbology = read.symbology;
    UInt32 code = 0;
    std::vector<UInt8> content = ContentBytes(read);
    Quad quad = read.quad;
    switch (symbology) {
      case Symbology::Code128:
        if (read.symbologyId == kGs1_128Identifier) symbology = Symbology::Gs1_128;
        break;
      case Symbology::DataBar:
        content.insert(content.begin(), kDataBarIdentifierAi.begin(), kDataBarIdentifierAi.end());
        break;
      case Symbology::DataBarExpanded: {
        const std::string text(read.bytes.begin(), read.bytes.end());
        if (const std::optional<std::string> elements = Gs1ElementString(text)) {
          content = Bytes(*elements);
        }
        break;
      }
      case Symbology::QrCode:
        code = QrCodeResultCode(QrVersionFromCodewords(read.ecLevel, read.dataCodewords));
        break;
      case Symbology::DataMatrix: {
        const double height = LeftLength(quad);
        const double aspect = height > 0 ? TopLength(quad) / height : 0.0;
        code = DataMatrixResultCode(DataMatrixSizeFromCodewords(read.dataCodewords, aspect));
        break;
      }
      case Symbology::MaxiCode:
        // The library finds this symbology only alone in the view and then
        // reports no position: the symbol is the view's dark area.
        if (IsEmpty(quad)) quad = DarkBoundingBox(view_);
        break;
      default:
        break;
    }
    // The library's PDF417 detector was seen to decode a photo's streaks at
    // the image edge into a symbol whose outline had two corners at one
    // point: a matrix or stacked read without a symbol's outline is no read.
    if (!IsLinear(symbology) && IsDegenerate(quad)) return;
    // A linear read spans the scan lines it was seen on, which may be a few
    // far apart or a single one: stretch it to the symbol's height.
    if (IsLinear(symbology) && !read.bandGrown) quad = GrowLinearBand(view_, OrientLinear(quad));
    if ((symbology == Symbology::DataBar || symbology == Symbology::DataBarExpanded) &&
        stackedDataBars_ != nullptr &&
        PartOfStackedSymbol(view_, quad, content, stackedDataBars_)) {
      return;
    }
    Emit(symbology, code, std::move(content), quad);
  }

  std::vector<Detection> Finish() {
    for (const EanSymbol& symbol : eanSymbols_) {
      Emit(symbol.symbology, 0, Bytes(symbol.digits), GrowLinearBand(view_, symbol.quad));
      const Symbology addOn = symbol.addOn.size() == 2   ? Symbology::EanExt2
                              : symbol.addOn.size() == 5 ? Symbology::EanExt5
                                                         : Symbology::Count;
      if (addOn == Symbology::Count) continue;
      const Int32 modules = addOn == Symbology::EanExt2 ? kAddOn2Modules : kAddOn5Modules;
      const Quad band = AddOnQuad(view_, symbol.quad, MainModules(symbol.symbology),
                                  symbol.addOnBand, modules, MinAddOnGap(symbol.symbology));
      Emit(addOn, 0, Bytes(symbol.addOn), GrowLinearBand(view_, band));
    }
    return std::move(detections_);
  }

 private:
  // The library reports a symbol with an add-on once for the lines that
  // crossed the add-on ("digits addon") and once for the others ("digits").
  void AddEanUpc(const LibraryRead& read) {
    const std::string text(read.bytes.begin(), read.bytes.end());
    const std::size_t split = text.find(kAddOnSeparator);
    const std::string digits = text.substr(0, split);
    const std::string addOn = split == std::string::npos ? std::string() : text.substr(split + 1);
    const Quad quad = OrientLinear(read.quad);
    auto same = std::find_if(eanSymbols_.begin(), eanSymbols_.end(), [&](const EanSymbol& s) {
      const PointD a = Center(s.quad), b = Center(quad);
      const double distance = std::hypot(a.x - b.x, a.y - b.y);
      return s.symbology == read.symbology && s.digits == digits &&
             distance <= std::max(TopLength(s.quad), TopLength(quad));
    });
    if (same == eanSymbols_.end()) {
      eanSymbols_.push_back({read.symbology, digits, quad, std::string(), Quad{}, 0});
      same = eanSymbols_.end() - 1;
    } else {
      same->quad = Enclose(same->quad, quad);
    }
    if (!addOn.empty() && read.lineCount > same->addOnLines) {
      same->addOn = addOn;
      same->addOnBand = quad;
      same->addOnLines = read.lineCount;
    }
  }

  void Emit(Symbology symbology, UInt32 code, std::vector<UInt8> content, const Quad& quad) {
    if (symbology == Symbology::Count || !wanted_.test(Index(symbology))) return;
    Detection detection;
    detection.symbology = symbology;
    detection.code = code != 0 ? code : Info(symbology).code;
    detection.content = std::move(content);
    detection.corners = quad;
    detections_.push_back(std::move(detection));
  }

  const GrayView& view_;
  const SymbologySet& wanted_;
  AreaReader stackedDataBars_;
  std::vector<EanSymbol> eanSymbols_;
  std::vector<Detection> detections_;
};

}  // namespace

std::vector<Detection> MapReads(const std::vector<LibraryRead>& reads, const GrayView& view,
                                const SymbologySet& wanted, AreaReader stackedDataBars) {
  Mapper mapper(view, wanted, stackedDataBars);
  for (const LibraryRead& read : reads) mapper.Add(read);
  return mapper.Finish();
}

}  // namespace vexo::engine
