// Colour, palette and alpha: stripes of known colours must give the standard
// luma of each colour, with transparency composed over white.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "engine/image/ImageDecoder.h"

namespace vexo::engine::test {
namespace {

constexpr Int32 kStripe = 8;  // each colour is an 8 x 8 square, side by side

struct ColorCase {
  const char* name;
  const char* output;   // file name with an optional ImageMagick format prefix
  const char* options;  // convert options after the stripes
  const char* colors;   // ImageMagick colour names, one stripe each
  std::vector<int> luma;
  int tolerance;
};

// 0.299 R + 0.587 G + 0.114 B: red 76, lime 150, blue 29; black at 20 % alpha
// over white is 204.
const ColorCase kColorCases[] = {
    {"png_rgb", "PNG24:rgb.png", "", "red lime blue white black", {76, 150, 29, 255, 0}, 0},
    {"png_rgba",
     "PNG32:rgba.png",
     "",
     "red lime blue none rgba(0,0,0,0.2)",
     {76, 150, 29, 255, 204},
     0},
    {"png_rgba64",
     "PNG64:rgba64.png",
     "",
     "red lime blue none rgba(0,0,0,0.2)",
     {76, 150, 29, 255, 204},
     0},
    {"png_palette_transparent",
     "PNG8:palette.png",
     "",
     "red lime blue none black",
     {76, 150, 29, 255, 0},
     0},
    {"png_gray_alpha",
     "graya.png",
     "-define png:color-type=4",
     "gray50 none rgba(0,0,0,0.2)",
     {127, 255, 204},
     1},
    {"tiff_rgba",
     "rgba.tif",
     "-compress LZW",
     "red lime blue none rgba(0,0,0,0.2)",
     {76, 150, 29, 255, 204},
     0},
    {"tiff_palette", "palette.tif", "-type Palette", "red lime blue", {76, 150, 29}, 0},
    {"webp_alpha",
     "alpha.webp",
     "-define webp:lossless=true",
     "red lime blue none rgba(0,0,0,0.2)",
     {76, 150, 29, 255, 204},
     0},
    {"bmp_rgb", "BMP3:rgb.bmp", "", "red lime blue", {76, 150, 29}, 0},
    {"gif_palette", "palette.gif", "", "red lime blue", {76, 150, 29}, 0},
    {"ppm", "rgb.ppm", "", "red lime blue", {76, 150, 29}, 0},
    {"jpeg", "rgb.jpg", "-quality 95 -sampling-factor 1x1", "red lime blue", {76, 150, 29}, 3},
    {"jp2", "rgb.jp2", "-depth 8 -quality 0", "red lime blue", {76, 150, 29}, 0},
};

class DecodeColor : public testing::TestWithParam<ColorCase> {};

TEST_P(DecodeColor, GivesStandardLuma) {
  const ColorCase& c = GetParam();
  std::string stripes;
  for (std::string names = c.colors; !names.empty();) {
    const std::size_t space = names.find(' ');
    stripes += " 'xc:" + names.substr(0, space) + "'";
    names = space == std::string::npos ? "" : names.substr(space + 1);
  }
  const std::string output = c.output;
  const std::size_t colon = output.find(':');
  const std::string path = SharedScratch().File(output.substr(colon + 1));
  const std::string prefix = colon == std::string::npos ? "" : output.substr(0, colon + 1);
  ASSERT_TRUE(
      RunQuietly("convert -size 8x8" + stripes + " +append " + c.options + " " + prefix + path))
      << "convert could not write " << c.output;

  const CapturedDecode decoded = DecodeCapturing(ReadBytes(path));
  ASSERT_EQ(decoded.status, kStatusSuccess);
  ASSERT_EQ(decoded.image.width, kStripe * static_cast<Int32>(c.luma.size()));
  for (std::size_t i = 0; i < c.luma.size(); ++i) {
    const int centre = decoded.image.Row(kStripe / 2)[i * kStripe + kStripe / 2];
    EXPECT_NEAR(centre, c.luma[i], c.tolerance) << "stripe " << i;
  }
  EXPECT_EQ(decoded.printedErr, "");
}

INSTANTIATE_TEST_SUITE_P(Colors, DecodeColor, testing::ValuesIn(kColorCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo::engine::test
