// The same page written in every format and variant we read must decode to
// the same luminance: exactly for lossless files, closely for lossy ones.

#include "engine/image/ImageDecoder.h"

#include <gtest/gtest.h>

#include <string>

#include "ImageTestSupport.h"

namespace vexo::engine::test {
namespace {

// What a decoded file is compared with.
enum class Match {
  kPage,     // the page's own pixels
  kBilevel,  // the page thresholded at 50 %, for 1-bit files
  kFile,     // ImageMagick's reading of the file, where writing it dropped gray levels
};

struct FormatCase {
  const char* name;
  const char* output;   // file name, with an optional ImageMagick format prefix
  const char* options;  // convert options; "{ramp}" stands for a second page
  Match match;
  Int32 dpi;         // 0 for formats that carry no resolution
  double meanLimit;  // limits of the difference from the page
  int largestLimit;
};

constexpr Int32 kDpi = TestPage::kDpi;

const FormatCase kFormatCases[] = {
    {"png_gray", "gray.png", "", Match::kPage, kDpi, 0, 0},
    {"png_gray16", "gray16.png", "-define png:bit-depth=16 -define png:color-type=0", Match::kPage,
     kDpi, 0, 0},
    {"png_gray_alpha", "graya.png", "-alpha set -define png:color-type=4", Match::kPage, kDpi, 0,
     0},
    {"png_rgb", "PNG24:rgb.png", "", Match::kPage, kDpi, 0, 0},
    {"png_rgb48", "PNG48:rgb48.png", "", Match::kPage, kDpi, 0, 0},
    {"png_rgba", "PNG32:rgba.png", "", Match::kPage, kDpi, 0, 0},
    {"png_rgba64", "PNG64:rgba64.png", "", Match::kPage, kDpi, 0, 0},
    {"png_palette", "PNG8:palette.png", "", Match::kPage, kDpi, 0, 0},
    {"png_gray4", "gray4.png", "-depth 4", Match::kFile, kDpi, 0, 0},
    {"png_gray2", "gray2.png", "-depth 2", Match::kFile, kDpi, 0, 0},
    {"png_interlaced", "interlaced.png", "-interlace PNG", Match::kPage, kDpi, 0, 0},
    {"png_1bit", "bilevel.png", "-threshold 50% -type Bilevel", Match::kBilevel, kDpi, 0, 0},
    {"tiff_none", "none.tif", "-compress None", Match::kPage, kDpi, 0, 0},
    {"tiff_lzw", "lzw.tif", "-compress LZW", Match::kPage, kDpi, 0, 0},
    {"tiff_zip", "zip.tif", "-compress Zip", Match::kPage, kDpi, 0, 0},
    {"tiff_packbits", "packbits.tif", "-compress RLE", Match::kPage, kDpi, 0, 0},
    {"tiff_big_endian", "msb.tif", "-endian MSB -compress LZW", Match::kPage, kDpi, 0, 0},
    {"tiff_gray16", "gray16.tif", "-depth 16", Match::kPage, kDpi, 0, 0},
    {"tiff_rgb", "rgb.tif", "-type TrueColor -compress LZW", Match::kPage, kDpi, 0, 0},
    {"tiff_rgba", "rgba.tif", "-type TrueColorAlpha", Match::kPage, kDpi, 0, 0},
    {"tiff_palette", "palette.tif", "-type Palette", Match::kFile, kDpi, 0, 0},
    {"tiff_gray4", "gray4.tif", "-depth 4", Match::kFile, kDpi, 0, 0},
    {"tiff_cmyk", "cmyk.tif", "-colorspace CMYK", Match::kPage, kDpi, 0, 0},
    {"tiff_min_is_white", "miniswhite.tif", "-define tiff:photometric=min-is-white", Match::kPage,
     kDpi, 0, 0},
    {"tiff_multipage_first", "pages.tif", "{ramp} -compress LZW", Match::kPage, kDpi, 0, 0},
    {"tiff_g4", "g4.tif", "-threshold 50% -compress Group4", Match::kBilevel, kDpi, 0, 0},
    {"tiff_g3", "g3.tif", "-threshold 50% -compress Fax", Match::kBilevel, kDpi, 0, 0},
    {"tiff_1bit_min_is_black", "minisblack1.tif",
     "-threshold 50% -type Bilevel -define tiff:photometric=min-is-black -compress None",
     Match::kBilevel, kDpi, 0, 0},
    {"tiff_jpeg", "jpeg.tif", "-compress JPEG -quality 95", Match::kPage, kDpi, 1.5, 60},
    {"jpeg_gray", "gray.jpg", "-quality 95", Match::kPage, kDpi, 1.5, 60},
    {"jpeg_rgb", "rgb.jpg", "-type TrueColor -quality 95", Match::kPage, kDpi, 1.5, 60},
    {"jpeg_cmyk", "cmyk.jpg", "-colorspace CMYK -quality 95", Match::kPage, kDpi, 1.5, 60},
    {"jpeg_progressive", "progressive.jpg", "-interlace JPEG -quality 95", Match::kPage, kDpi, 1.5,
     60},
    {"bmp_rgb", "BMP3:rgb.bmp", "-type TrueColor", Match::kPage, kDpi, 0, 0},
    {"bmp_palette", "BMP3:palette.bmp", "-compress None", Match::kPage, kDpi, 0, 0},
    {"bmp_1bit", "BMP3:bilevel.bmp", "-threshold 50% -type Bilevel", Match::kBilevel, kDpi, 0, 0},
    {"gif", "page.gif", "", Match::kFile, 0, 0, 0},
    {"pgm", "page.pgm", "", Match::kPage, 0, 0, 0},
    {"ppm", "page.ppm", "", Match::kPage, 0, 0, 0},
    {"pbm", "page.pbm", "-threshold 50%", Match::kBilevel, 0, 0, 0},
    {"pam", "PAM:page.pam", "", Match::kPage, 0, 0, 0},
    {"webp_lossless", "lossless.webp", "-define webp:lossless=true", Match::kPage, 0, 0, 0},
    {"webp_lossy", "lossy.webp", "-quality 90", Match::kPage, 0, 2, 80},
    {"jp2_lossless", "lossless.jp2", "-quality 0", Match::kPage, 0, 0, 0},
    {"jp2_lossy", "lossy.jp2", "-quality 40", Match::kPage, 0, 2, 80},
    {"j2k_codestream", "page.j2k", "-quality 0", Match::kPage, 0, 0, 0},
};

class DecodeFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(DecodeFormat, GivesThePageLuminance) {
  const FormatCase& c = GetParam();
  const TestPage& page = SharedTestPage();
  ASSERT_FALSE(page.gray.empty()) << "zint or convert could not make the test page";
  std::string options = c.options;
  if (const std::size_t at = options.find("{ramp}"); at != std::string::npos) {
    options.replace(at, 6, SharedScratch().File("ramp.png"));
  }
  const std::string path = WritePageAs(c.output, options);
  ASSERT_FALSE(path.empty()) << "convert could not write " << c.output;

  Bytes reference = c.match == Match::kBilevel ? page.bilevel : page.gray;
  if (c.match == Match::kFile) {
    ASSERT_TRUE(RunQuietly("convert " + path + " -depth 8 gray:" + path + ".gray"));
    reference = ReadBytes(path + ".gray");
  }

  const CapturedDecode decoded = DecodeCapturing(ReadBytes(path));
  ASSERT_EQ(decoded.status, kStatusSuccess);
  EXPECT_EQ(decoded.image.width, TestPage::kWidth);
  EXPECT_EQ(decoded.image.height, TestPage::kHeight);
  const Difference difference = Compare(decoded.image, reference);
  EXPECT_LE(difference.largest, c.largestLimit);
  EXPECT_LE(difference.mean, c.meanLimit);
  EXPECT_EQ(decoded.image.xDpi, c.dpi);
  EXPECT_EQ(decoded.image.yDpi, c.dpi);
  EXPECT_EQ(decoded.printedOut, "");
  EXPECT_EQ(decoded.printedErr, "");
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeFormat, testing::ValuesIn(kFormatCases),
                         [](const auto& param) { return std::string(param.param.name); });

// Packed pixels are converted a word at a time: rows whose width is no
// multiple of the pixels in a word end in a part of one. A 37 x 9 corner of
// the page (over the symbol's bars) in each packed depth, compared with
// ImageMagick's reading of the file.
struct PackedCase {
  const char* name;
  const char* output;
  const char* options;
};

const PackedCase kPackedCases[] = {
    {"gray1", "bits1.png", "-threshold 50% -type Bilevel"},
    {"gray2", "bits2.png", "-depth 2"},
    {"gray4", "bits4.png", "-depth 4"},
    {"gray8", "bits8.png", "-depth 8"},
    {"palette8", "PNG8:palette8.png", ""},
    {"palette1", "palette1.bmp", "-threshold 50% -type Palette -colors 2"},
    {"tiff1", "bits1.tif", "-threshold 50% -type Bilevel"},
};

class DecodePacked : public testing::TestWithParam<PackedCase> {};

TEST_P(DecodePacked, EndsEveryRowExactly) {
  const PackedCase& c = GetParam();
  ASSERT_FALSE(SharedTestPage().gray.empty()) << "zint or convert could not make the test page";
  const std::string path =
      WritePageAs(c.output, std::string("-crop 37x9+140+100 +repage ") + c.options);
  ASSERT_FALSE(path.empty()) << "convert could not write " << c.output;
  ASSERT_TRUE(RunQuietly("convert " + path + " -depth 8 gray:" + path + ".gray"));
  const CapturedDecode decoded = DecodeCapturing(ReadBytes(path));
  ASSERT_EQ(decoded.status, kStatusSuccess);
  EXPECT_EQ(decoded.image.width, 37);
  EXPECT_EQ(decoded.image.height, 9);
  EXPECT_EQ(Compare(decoded.image, ReadBytes(path + ".gray")).largest, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, DecodePacked, testing::ValuesIn(kPackedCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo::engine::test
