#include "engine/image/Luminance.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace vexo::engine {
namespace {

// Luma weights 0.299, 0.587, 0.114 in 16-bit fixed point; they sum to 65536
// so white stays 255.
constexpr UInt32 kRedWeight = 19595;
constexpr UInt32 kGreenWeight = 38470;
constexpr UInt32 kBlueWeight = 7471;
constexpr UInt32 kWeightShift = 16;
constexpr UInt32 kWeightHalf = 1u << (kWeightShift - 1);
constexpr UInt32 kWhite = 255;

UInt8 Luma(UInt32 red, UInt32 green, UInt32 blue) {
  return static_cast<UInt8>(
      (kRedWeight * red + kGreenWeight * green + kBlueWeight * blue + kWeightHalf) >> kWeightShift);
}

// A channel value seen through `alpha` over a white background.
UInt32 OverWhite(UInt32 value, UInt32 alpha) {
  return (value * alpha + kWhite * (kWhite - alpha) + kWhite / 2) / kWhite;
}

UInt8 LumaOfWord(UInt32 word, bool hasAlpha) {
  UInt32 red = (word >> L_RED_SHIFT) & 0xff;
  UInt32 green = (word >> L_GREEN_SHIFT) & 0xff;
  UInt32 blue = (word >> L_BLUE_SHIFT) & 0xff;
  if (hasAlpha) {
    const UInt32 alpha = (word >> L_ALPHA_SHIFT) & 0xff;
    red = OverWhite(red, alpha);
    green = OverWhite(green, alpha);
    blue = OverWhite(blue, alpha);
  }
  return Luma(red, green, blue);
}

// Luma of every colormap entry; indices past the map's end read as white.
std::array<UInt8, 256> ColormapLuma(PIXCMAP* cmap) {
  std::array<UInt8, 256> table;
  table.fill(static_cast<UInt8>(kWhite));
  const l_int32 count = pixcmapGetCount(cmap);
  for (l_int32 i = 0; i < count && i < static_cast<l_int32>(table.size()); ++i) {
    l_int32 red = 0, green = 0, blue = 0, alpha = 0;
    if (pixcmapGetRGBA(cmap, i, &red, &green, &blue, &alpha) != 0) continue;
    table[i] = Luma(OverWhite(red, alpha), OverWhite(green, alpha), OverWhite(blue, alpha));
  }
  return table;
}

// Calls sample(line, x) for every pixel and stores what it returns.
template <typename Sample>
void ConvertPixels(PIX* pix, LumaImage& out, Sample sample) {
  const l_int32 wpl = pixGetWpl(pix);
  const l_uint32* data = pixGetData(pix);
  for (Int32 y = 0; y < out.height; ++y) {
    const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
    UInt8* row = out.Row(y);
    for (Int32 x = 0; x < out.width; ++x) row[x] = sample(line, x);
  }
}

// Pixels of 1, 2, 4 or 8 bits through `map`, a word at a time: the first
// pixel of a word is in its highest bits.
template <int kDepth, typename Map>
void ConvertPacked(PIX* pix, LumaImage& out, Map map) {
  constexpr Int32 kPerWord = 32 / kDepth;
  constexpr l_uint32 kMask = (1u << kDepth) - 1;
  const auto pixel = [](l_uint32 word, Int32 j) {
    return (word >> (32 - kDepth * (j + 1))) & kMask;
  };
  // 1 bit: eight pixels per byte of a word, through a table of their values.
  std::array<std::array<UInt8, 8>, 256> eights{};
  if constexpr (kDepth == 1) {
    for (l_uint32 byte = 0; byte < 256; ++byte) {
      for (Int32 k = 0; k < 8; ++k) {
        eights[byte][static_cast<std::size_t>(k)] = map((byte >> (7 - k)) & 1);
      }
    }
  }
  const l_int32 wpl = pixGetWpl(pix);
  const l_uint32* data = pixGetData(pix);
  for (Int32 y = 0; y < out.height; ++y) {
    const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
    UInt8* row = out.Row(y);
    Int32 x = 0;
    if constexpr (kDepth == 8) {
      for (; x + kPerWord <= out.width; x += kPerWord) {
        const l_uint32 word = line[x / kPerWord];
        row[x] = map(pixel(word, 0));
        row[x + 1] = map(pixel(word, 1));
        row[x + 2] = map(pixel(word, 2));
        row[x + 3] = map(pixel(word, 3));
      }
    } else if constexpr (kDepth == 1) {
      for (; x + kPerWord <= out.width; x += kPerWord) {
        const l_uint32 word = line[x / kPerWord];
        for (Int32 k = 0; k < 4; ++k) {
          std::memcpy(row + x + 8 * k, eights[(word >> (24 - 8 * k)) & 0xff].data(), 8);
        }
      }
    } else {
      for (; x + kPerWord <= out.width; x += kPerWord) {
        const l_uint32 word = line[x / kPerWord];
        for (Int32 j = 0; j < kPerWord; ++j) row[x + j] = map(pixel(word, j));
      }
    }
    for (Int32 j = 0; x + j < out.width; ++j) row[x + j] = map(pixel(line[x / kPerWord], j));
  }
}

// Colormapped images: indices of 1, 2, 4 or 8 bits through the luma table.
bool ConvertColormapped(PIX* pix, PIXCMAP* cmap, LumaImage& out) {
  const std::array<UInt8, 256> table = ColormapLuma(cmap);
  const auto lookUp = [&](l_uint32 index) { return table[index]; };
  switch (pixGetDepth(pix)) {
    case 1:
      ConvertPacked<1>(pix, out, lookUp);
      return true;
    case 2:
      ConvertPacked<2>(pix, out, lookUp);
      return true;
    case 4:
      ConvertPacked<4>(pix, out, lookUp);
      return true;
    case 8:
      ConvertPacked<8>(pix, out, lookUp);
      return true;
    default:
      return false;
  }
}

bool ConvertDirect(PIX* pix, LumaImage& out) {
  switch (pixGetDepth(pix)) {
    case 1:  // Leptonica's binary convention: a set bit is black
      ConvertPacked<1>(pix, out,
                       [](l_uint32 v) { return static_cast<UInt8>(v != 0 ? 0 : kWhite); });
      return true;
    case 2:
      ConvertPacked<2>(pix, out, [](l_uint32 v) { return static_cast<UInt8>(v * 0x55); });
      return true;
    case 4:
      ConvertPacked<4>(pix, out, [](l_uint32 v) { return static_cast<UInt8>(v * 0x11); });
      return true;
    case 8:
      ConvertPacked<8>(pix, out, [](l_uint32 v) { return static_cast<UInt8>(v); });
      return true;
    case 16:  // the high byte, as Leptonica's own 16-to-8 reduction keeps
      ConvertPixels(pix, out, [](const l_uint32* line, Int32 x) {
        return static_cast<UInt8>(GET_DATA_TWO_BYTES(line, x) >> 8);
      });
      return true;
    case 32: {
      const bool hasAlpha = pixGetSpp(pix) == 4;
      ConvertPixels(pix, out, [hasAlpha](const l_uint32* line, Int32 x) {
        return LumaOfWord(line[x], hasAlpha);
      });
      return true;
    }
    default:
      return false;
  }
}

Int32 Resolution(l_int32 value) { return value > 0 ? value : 0; }

}  // namespace

ImageOutcome PixToLuma(PIX* pix, LumaImage& out) {
  LumaImage image;
  image.width = pixGetWidth(pix);
  image.height = pixGetHeight(pix);
  image.xDpi = Resolution(pixGetXRes(pix));
  image.yDpi = Resolution(pixGetYRes(pix));
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  PIXCMAP* cmap = pixGetColormap(pix);
  const bool converted =
      cmap != nullptr ? ConvertColormapped(pix, cmap, image) : ConvertDirect(pix, image);
  if (!converted) return ImageOutcome::kUnknownFormat;
  out = std::move(image);
  return ImageOutcome::kOk;
}

}  // namespace vexo::engine
