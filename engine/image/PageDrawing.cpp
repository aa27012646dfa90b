#include "engine/image/PageDrawing.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "engine/image/PixPtr.h"
#include "engine/image/QuietOutput.h"

namespace vexo::engine {
namespace {

struct PtaDeleter {
  void operator()(PTA* pta) const { ptaDestroy(&pta); }
};
struct BmfDeleter {
  void operator()(L_BMF* bmf) const { bmfDestroy(&bmf); }
};
struct LeptFree {
  void operator()(l_uint8* bytes) const { lept_free(bytes); }
};

// Leptonica's built-in fonts come in even sizes from 4 to 20.
constexpr int kSmallestFont = 6;
constexpr int kLargestFont = 20;
constexpr int kFontSizes = 150;      // font size (at 300 dpi) per pixel of the short side
constexpr int kLineWidths = 400;     // and this many outline widths
constexpr double kTickShare = 0.25;  // tick length in parts of the first edge
constexpr int kLabelGap = 3;         // pixels between outline and label

UInt8 Channel(UInt32 colour, int shift) { return static_cast<UInt8>((colour >> shift) & 0xFF); }

bool Line(PIX* pix, double x1, double y1, double x2, double y2, int width, UInt32 colour) {
  return pixRenderLineArb(pix, std::lround(x1), std::lround(y1), std::lround(x2), std::lround(y2),
                          width, Channel(colour, 16), Channel(colour, 8), Channel(colour, 0)) == 0;
}

// The page as 32-bit colour, so the marks can be drawn in colour over it.
PixPtr ColourPage(const LumaImage& page) {
  PixPtr gray(pixCreate(page.width, page.height, 8));
  if (!gray) return gray;
  l_uint32* data = pixGetData(gray.get());
  const l_int32 wpl = pixGetWpl(gray.get());
  for (Int32 y = 0; y < page.height; ++y) {
    const UInt8* row = page.Row(y);
    l_uint32* line = data + static_cast<std::size_t>(y) * wpl;
    for (Int32 x = 0; x < page.width; ++x) SET_DATA_BYTE(line, x, row[x]);
  }
  return PixPtr(pixConvertTo32(gray.get()));
}

// The outline closed, and a tick from the first corner pointing away from
// the symbol, across the first edge's start: it shows where reading begins.
bool DrawOutline(PIX* pix, const std::array<double, 8>& c, int width) {
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4;
    if (!Line(pix, c[2 * i], c[2 * i + 1], c[2 * j], c[2 * j + 1], width, kOutlineColour)) {
      return false;
    }
  }
  const double edgeX = c[2] - c[0];
  const double edgeY = c[3] - c[1];
  const double length = std::hypot(edgeX, edgeY);
  if (length < 1.0) return true;
  // Away from the symbol: the first edge turned a quarter turn toward "up".
  const double tick = std::max(3.0 * width, kTickShare * length);
  const double ux = edgeY / length;
  const double uy = -edgeX / length;
  return Line(pix, c[0], c[1], c[0] + ux * tick, c[1] + uy * tick, width, kOutlineColour);
}

// The label just above the outline, or below it near the top of the page.
bool DrawLabel(PIX* pix, L_BMF* bmf, const PageMark& mark, int width) {
  if (mark.label.empty()) return true;
  std::string text = mark.label;
  for (char& ch : text) {
    if (ch < ' ' || ch > '~') ch = '?';
  }
  l_int32 textWidth = 0;
  if (bmfGetStringWidth(bmf, text.c_str(), &textWidth) != 0) return false;
  double left = mark.corners[0];
  double top = mark.corners[1];
  double bottom = top;
  for (int i = 1; i < 4; ++i) {
    left = std::min(left, mark.corners[2 * i]);
    top = std::min(top, mark.corners[2 * i + 1]);
    bottom = std::max(bottom, mark.corners[2 * i + 1]);
  }
  const l_int32 pageWidth = pixGetWidth(pix);
  l_int32 lineTop = static_cast<l_int32>(top) - width - kLabelGap - bmf->lineheight;
  if (lineTop < 0) lineTop = static_cast<l_int32>(bottom) + width + kLabelGap;
  const l_int32 lineLeft =
      std::clamp(static_cast<l_int32>(left), 0, std::max(0, pageWidth - textWidth));
  l_int32 drawn = 0;
  l_int32 overflow = 0;
  const l_uint32 colour = static_cast<l_uint32>(kLabelColour) << 8;
  return pixSetTextline(pix, bmf, text.c_str(), colour, lineLeft, lineTop + bmf->baseline1, &drawn,
                        &overflow) == 0;
}

EngineStatus Draw(const LumaImage& page, const std::vector<PageMark>& marks, std::string& png) {
  SilenceLeptonica();
  if (page.width <= 0 || page.height <= 0) return kStatusEmptyImage;
  const PixPtr pix = ColourPage(page);
  if (!pix) return kStatusOutOfMemory;
  const int shortSide = std::min(page.width, page.height);
  const int width = std::max(2, shortSide / kLineWidths);
  const int fontSize = std::clamp(shortSide / kFontSizes / 2 * 2, kSmallestFont, kLargestFont);
  const std::unique_ptr<L_BMF, BmfDeleter> bmf(bmfCreate(nullptr, fontSize));
  if (!bmf) return kStatusInternalError;

  std::vector<PageMark> onPage = marks;
  for (PageMark& mark : onPage) {
    for (std::size_t i = 0; i < mark.corners.size(); ++i) {
      const double limit = (i % 2 == 0 ? page.width : page.height) - 1;
      const double v = mark.corners[i];
      mark.corners[i] = std::isfinite(v) ? std::clamp(v, 0.0, limit) : 0.0;
    }
  }
  // Labels first: an outline drawn later is never hidden by a neighbour's label.
  for (const PageMark& mark : onPage) {
    if (!DrawLabel(pix.get(), bmf.get(), mark, width)) return kStatusInternalError;
  }
  for (const PageMark& mark : onPage) {
    if (!DrawOutline(pix.get(), mark.corners, width)) return kStatusInternalError;
  }

  l_uint8* bytes = nullptr;
  std::size_t size = 0;
  if (pixWriteMem(&bytes, &size, pix.get(), IFF_PNG) != 0) return kStatusInternalError;
  const std::unique_ptr<l_uint8, LeptFree> owned(bytes);
  png.assign(reinterpret_cast<const char*>(bytes), size);
  return kStatusSuccess;
}

}  // namespace

EngineStatus DrawMarksAsPng(const LumaImage& page, const std::vector<PageMark>& marks,
                            std::string& png) {
  try {
    return Draw(page, marks, png);
  } catch (const std::bad_alloc&) {
    return kStatusOutOfMemory;
  } catch (...) {
    return kStatusInternalError;
  }
}

}  // namespace vexo::engine
