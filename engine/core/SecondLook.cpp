#include "engine/core/SecondLook.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/ViewTransform.h"
#include "engine/image/Sharpen.h"

namespace vexo::engine {
namespace {

// Modules across each retail symbology's bars, guards included.
struct RetailRow {
  Symbology symbology;
  int modules;
};
constexpr RetailRow kRetail[] = {
    {Symbology::Ean13, 95}, {Symbology::UpcA, 95}, {Symbology::Ean8, 67}, {Symbology::UpcE, 51}};

// The crop reaches this share of the symbol's length beyond each end (the
// quiet zones, and corners that stop short of the guards) and this share of
// its height above and below.
constexpr double kEndMargin = 0.2;
constexpr double kSideMargin = 0.25;
// Enlarged to about this many pixels a module, by at most this factor.
constexpr double kModulePixels = 4;
constexpr Int32 kMaxFactor = 3;
// The enlarged crop is averaged over this many rows up and down along the
// bars, then sharpened: noise and dither average out, and the edges a blur
// softened come back, so the bars are measured otherwise than on the page.
constexpr Int32 kAlongBars = 4;
constexpr Int32 kSharpenRadius = 6;
constexpr double kSharpenAmount = 1.5;
// Crops longer than this (after enlarging) are not looked at again: symbols
// that large were read from modules big enough not to need it.
constexpr double kMaxCropSide = 2400;

const RetailRow* RetailRowOf(Symbology s) {
  for (const RetailRow& row : kRetail) {
    if (row.symbology == s) return &row;
  }
  return nullptr;
}

double Distance(PointD a, PointD b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Whether the second look at `finding` reads its bars otherwise.
bool Contradicted(const Finding& finding, const RetailRow& row, const LumaView& area,
                  const AffineMap& areaToPage, const AffineMap& pageToArea,
                  const ReaderList& readers) {
  std::array<PointD, 4> c;
  for (std::size_t i = 0; i < c.size(); ++i) c[i] = pageToArea.Apply(finding.corners[i]);
  const double length = std::max(Distance(c[0], c[1]), Distance(c[3], c[2]));
  const double height = std::max(Distance(c[0], c[3]), Distance(c[1], c[2]));
  if (length < 1) return false;
  // The symbol's reading direction, counter-clockwise as seen on the page.
  const double degrees = std::atan2(-(c[1].y - c[0].y), c[1].x - c[0].x) * 180 / std::numbers::pi;
  const double module = length / row.modules;
  const Int32 factor =
      std::clamp(static_cast<Int32>(std::lround(kModulePixels / module)), 1, kMaxFactor);
  const double reach = kEndMargin * length + kSideMargin * std::max(height, 0.2 * length);
  const Box box = BoxOf({finding.symbology, 0, {}, c});
  const Int32 left = std::max(0, static_cast<Int32>(std::floor(box.left - reach)));
  const Int32 top = std::max(0, static_cast<Int32>(std::floor(box.top - reach)));
  const Int32 right = std::min(area.width, static_cast<Int32>(std::ceil(box.right + reach)));
  const Int32 bottom = std::min(area.height, static_cast<Int32>(std::ceil(box.bottom + reach)));
  if (right <= left || bottom <= top ||
      std::max(right - left, bottom - top) * factor > kMaxCropSide) {
    return false;
  }
  DerivedImage look =
      TurnedAndEnlarged(CropView(area, left, top, right - left, bottom - top), -degrees, factor);
  const AffineMap lookToPage =
      areaToPage.After(AffineMap::Translation(left, top)).After(look.toSource);
  ViewSettings settings;
  settings.symbologies.set(Index(finding.symbology));
  // What the readers read of the symbol's bars in the look: the same content
  // (agreed), or another on the same bars (otherwise). One reader agreeing
  // settles the look, so the readers after it are not asked.
  bool agreed = false, otherwise = false;
  const auto readLook = [&] {
    for (const ReaderEntry& reader : readers) {
      if (agreed) return;
      if (!reader.symbologies.test(Index(finding.symbology))) continue;
      for (const Detection& d : reader.read(ViewOf(look.image), settings)) {
        if (d.symbology != finding.symbology) continue;
        Finding other{d.symbology, 0, {}, {}};
        for (std::size_t i = 0; i < other.corners.size(); ++i) {
          other.corners[i] = lookToPage.Apply(d.corners[i]);
        }
        if (!Overlap(BoxOf(other), BoxOf(finding))) continue;
        (d.content == finding.content ? agreed : otherwise) = true;
      }
    }
  };
  // The enlarged crop as it is, then averaged along the bars and sharpened:
  // a read that either sampling gives again stands. The first symbol the
  // readers find in the crop is nearly always the read itself, which settles
  // the look; only when it is not are all the crop's symbols read.
  settings.maxNumberOfSymbols = 1;
  readLook();
  if (agreed) return false;
  settings.maxNumberOfSymbols = ViewSettings{}.maxNumberOfSymbols;
  otherwise = false;
  readLook();
  if (agreed) return false;
  SmoothColumns(look.image, kAlongBars);
  Sharpen(look.image, kSharpenRadius, kSharpenAmount);
  readLook();
  return otherwise && !agreed;
}

}  // namespace

void DropContradicted(std::vector<Finding>& findings, const LumaView& area,
                      const AffineMap& areaToPage, const ReaderList& readers, Deadline deadline) {
  const AffineMap pageToArea = areaToPage.Inverse();
  std::erase_if(findings, [&](const Finding& f) {
    const RetailRow* row = RetailRowOf(f.symbology);
    return row != nullptr && std::chrono::steady_clock::now() < deadline &&
           Contradicted(f, *row, area, areaToPage, pageToArea, readers);
  });
}

}  // namespace vexo::engine
