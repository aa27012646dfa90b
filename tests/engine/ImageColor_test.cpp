// Colour, palette and alpha: stripes of known colours must give the standard
// luma of each colour, with transparency composed over white.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "engine/image/ImageDecoder.h"

namespace vexo::engine::test {
namespace {

constexpr Int32 kStripe = 8;  // each colour is an 8 x 8 square, side by side

// "colour=luma" per stripe: 0.299 R + 0.587 G + 0.114 B, so red 76, lime 150,
// blue 29; black at 20 % alpha over white is 204.
constexpr const char* kColors = "red=76 lime=150 blue=29";
constexpr const char* kAlpha = "red=76 lime=150 blue=29 none=255 rgba(0,0,0,0.2)=204";

struct ColorCase {
  const char* name;
  const char* output;  // file name with an optional ImageMagick format prefix
  const char* options;
  const char* stripes;
  int tolerance;
};

const ColorCase kColorCases[] = {
    {"png_rgb", "PNG24:rgb.png", "", "red=76 lime=150 blue=29 white=255 black=0", 0},
    {"png_rgba", "PNG32:rgba.png", "", kAlpha, 0},
    {"png_rgba64", "PNG64:rgba64.png", "", kAlpha, 0},
    {"png_palette_transparent", "PNG8:palette.png", "", "red=76 lime=150 none=255 black=0", 0},
    {"png_gray_alpha", "graya.png", "-define png:color-type=4",
     "gray50=127 none=255 rgba(0,0,0,0.2)=204", 1},
    {"tiff_rgba", "rgba.tif", "-compress LZW", kAlpha, 0},
    {"tiff_palette", "palette.tif", "-type Palette", kColors, 0},
    {"webp_alpha", "alpha.webp", "-define webp:lossless=true", kAlpha, 0},
    {"bmp_rgb", "BMP3:rgb.bmp", "", kColors, 0},
    {"gif_palette", "palette.gif", "", kColors, 0},
    {"ppm", "rgb.ppm", "", kColors, 0},
    {"jpeg", "rgb.jpg", "-quality 95 -sampling-factor 1x1", kColors, 3},
    {"jp2", "rgb.jp2", "-depth 8 -quality 0", kColors, 0},
};

class DecodeColor : public testing::TestWithParam<ColorCase> {};

TEST_P(DecodeColor, GivesStandardLuma) {
  const ColorCase& c = GetParam();
  std::string inputs = "-size 8x8";
  std::vector<int> luma;
  std::istringstream stripes(c.stripes);
  for (std::string stripe; stripes >> stripe;) {
    const std::size_t equals = stripe.find('=');
    inputs += " 'xc:" + stripe.substr(0, equals) + "'";
    luma.push_back(std::stoi(stripe.substr(equals + 1)));
  }
  const std::string path = WriteImage(inputs + " +append", c.output, c.options);
  ASSERT_FALSE(path.empty()) << "convert could not write " << c.output;

  const CapturedDecode decoded = DecodeCapturing(ReadBytes(path));
  ASSERT_EQ(decoded.status, kStatusSuccess);
  ASSERT_EQ(decoded.image.width, kStripe * static_cast<Int32>(luma.size()));
  for (std::size_t i = 0; i < luma.size(); ++i) {
    const int centre = decoded.image.Row(kStripe / 2)[i * kStripe + kStripe / 2];
    EXPECT_NEAR(centre, luma[i], c.tolerance) << "stripe " << i;
  }
  EXPECT_EQ(decoded.printedErr, "");
}

INSTANTIATE_TEST_SUITE_P(Colors, DecodeColor, testing::ValuesIn(kColorCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo::engine::test
