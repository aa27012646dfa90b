// Inputs that must not decode: each gives its own status, prints nothing,
// and oversized headers are refused before pixel memory is taken.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CraftedImages.h"
#include "ImageTestSupport.h"
#include "engine/image/ImageDecoder.h"

namespace vexo::engine::test {
namespace {

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

// The page written by convert, then cut to `fraction` of its length.
Bytes Cut(const std::string& output, const std::string& options, double fraction) {
  Bytes bytes = ReadBytes(WritePageAs(output, options));
  bytes.resize(static_cast<std::size_t>(static_cast<double>(bytes.size()) * fraction));
  return bytes;
}

Bytes Whole(const std::string& output, const std::string& options) {
  return ReadBytes(WritePageAs(output, options));
}

struct StatusCase {
  const char* name;
  Bytes (*make)();
  EngineStatus expected;
};

const StatusCase kStatusCases[] = {
    {"zero_bytes", [] { return Bytes(); }, kStatusEmptyImage},
    {"one_byte", [] { return Text("P"); }, kStatusUnknownImageFormat},
    {"text", [] { return Text("hello, world\n"); }, kStatusUnknownImageFormat},
    {"pdf", [] { return Text("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"); }, kStatusUnknownImageFormat},
    {"png_signature_only", [] { return Text("\x89PNG\r\n\x1a\n"); }, kStatusCorruptImage},
    {"jpeg_start_only", [] { return Text("\xff\xd8\xff"); }, kStatusCorruptImage},
    {"pnm_header_only", [] { return Text("P5\n"); }, kStatusCorruptImage},
    {"png_truncated", [] { return Cut("cut.png", "", 0.5); }, kStatusCorruptImage},
    {"jpeg_truncated", [] { return Cut("cut.jpg", "", 0.5); }, kStatusCorruptImage},
    {"tiff_truncated", [] { return Cut("cut.tif", "-compress LZW", 0.5); }, kStatusCorruptImage},
    {"tiff_pixels_cut", [] { return GrayTiff(16, 16, 100); }, kStatusCorruptImage},
    {"gif_truncated", [] { return Cut("cut.gif", "", 0.5); }, kStatusCorruptImage},
    {"bmp_truncated", [] { return Cut("BMP3:cut.bmp", "-type TrueColor", 0.5); },
     kStatusCorruptImage},
    {"pgm_truncated", [] { return Cut("cut.pgm", "", 0.5); }, kStatusCorruptImage},
    {"webp_truncated", [] { return Cut("cut.webp", "", 0.5); }, kStatusCorruptImage},
    {"jp2_truncated", [] { return Cut("cut.jp2", "", 0.9); }, kStatusCorruptImage},
    {"j2k_truncated", [] { return Cut("cut.j2k", "", 0.9); }, kStatusCorruptImage},
    {"bmp_run_length", [] { return Whole("BMP3:rle.bmp", "-compress RLE"); },
     kStatusUnknownImageFormat},
    {"bmp_bitfields", [] { return Whole("BMP:bitfields.bmp", "-alpha set"); },
     kStatusUnknownImageFormat},
    {"jp2_16bit", [] { return Whole("deep.jp2", "-depth 16"); }, kStatusUnknownImageFormat},
    {"tiff_tiled", [] { return Whole("tiled.tif", "-define tiff:tile-geometry=64x64"); },
     kStatusUnknownImageFormat},
    {"tiff_planes", [] { return Whole("planes.tif", "-type TrueColor -interlace plane"); },
     kStatusUnknownImageFormat},
    {"tiff_float",
     [] { return Whole("float.tif", "-depth 32 -define quantum:format=floating-point"); },
     kStatusUnknownImageFormat},
};

class DecodeStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(DecodeStatus, GivesItsStatusSilently) {
  ASSERT_FALSE(SharedTestPage().gray.empty()) << "zint or convert could not make the test page";
  const CapturedDecode decoded = DecodeCapturing(GetParam().make());
  EXPECT_EQ(decoded.status, GetParam().expected);
  EXPECT_EQ(decoded.printedOut, "");
  EXPECT_EQ(decoded.printedErr, "");
}

INSTANTIATE_TEST_SUITE_P(Inputs, DecodeStatus, testing::ValuesIn(kStatusCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(DecodeImageInput, NullDataIsEmpty) {
  LumaImage image;
  EXPECT_EQ(DecodeImage(nullptr, 100, image), kStatusEmptyImage);
}

TEST(DecodeImageInput, HeaderFirstTiffGivesItsPixels) {
  const Bytes tiff = GrayTiff(16, 16, 256);
  LumaImage image;
  ASSERT_EQ(DecodeImage(tiff.data(), tiff.size(), image), kStatusSuccess);
  ASSERT_EQ(image.pixels.size(), 256u);
  EXPECT_EQ(image.Row(0)[1], 16);
  EXPECT_EQ(image.Row(3)[15], 243);
}

// Headers over the limits, with no pixel data behind them. Decoding runs with
// the address space capped, so a decoder that allocated first would fail
// with another status.
struct SizeCase {
  const char* name;
  Bytes (*make)();
  EngineStatus expected;
};

const SizeCase kSizeCases[] = {
    {"png_100000_square", [] { return PngClaiming(100000, 100000); }, kStatusImageTooLarge},
    {"png_20000_square", [] { return PngClaiming(20000, 20000); }, kStatusImageTooLarge},
    {"png_65536_wide", [] { return PngClaiming(65536, 1); }, kStatusImageTooLarge},
    {"png_65536_high", [] { return PngClaiming(1, 65536); }, kStatusImageTooLarge},
    {"png_at_both_limits", [] { return PngClaiming(65535, 3814); }, kStatusCorruptImage},
    {"bmp_20000_square", [] { return BmpClaiming(20000, 20000); }, kStatusImageTooLarge},
    {"bmp_top_down_20000", [] { return BmpClaiming(20000, -20000); }, kStatusImageTooLarge},
    {"bmp_100000_wide", [] { return BmpClaiming(100000, 1); }, kStatusImageTooLarge},
    {"tiff_20000_square", [] { return TiffClaiming(20000, 20000); }, kStatusImageTooLarge},
    {"tiff_100000_square", [] { return TiffClaiming(100000, 100000); }, kStatusImageTooLarge},
    {"tiff_at_both_limits", [] { return TiffClaiming(65535, 3814); }, kStatusCorruptImage},
    {"jpeg_20000_square", [] { return JpegClaiming(20000, 20000); }, kStatusImageTooLarge},
    {"pnm_20000_square", [] { return PnmClaiming(20000, 20000); }, kStatusImageTooLarge},
    {"gif_65535_square", [] { return GifClaiming(65535, 65535, 1); }, kStatusImageTooLarge},
    // Only the first image is read: later frames take no memory.
    {"gif_later_frames_do_not_count", [] { return GifClaiming(10000, 10000, 3); },
     kStatusCorruptImage},
    {"webp_16384_square", [] { return WebPClaiming(16384, 16384); }, kStatusImageTooLarge},
    {"jp2_20000_square", [] { return Jpeg2000Claiming(20000, 20000); }, kStatusImageTooLarge},
    // Within the pixel limit but over the decode budget, or just within it.
    {"png_16bit_rgba_15811_square", [] { return PngClaiming(15811, 15811, 16, 6); },
     kStatusImageTooLarge},
    {"png_rgb_11000_square", [] { return PngClaiming(11000, 11000, 8, 2); }, kStatusImageTooLarge},
    {"png_gray_12000_square_within", [] { return PngClaiming(12000, 12000); }, kStatusCorruptImage},
    {"tiff_16bit_rgba_12000_square", [] { return TiffClaiming(12000, 12000, 4, 16); },
     kStatusImageTooLarge},
    {"jp2_four_channels_10000_square", [] { return Jpeg2000Claiming(10000, 10000, 4); },
     kStatusImageTooLarge},
    {"jpeg_progressive_colour_15000_square", [] { return ProgressiveJpegClaiming(15000, 15000); },
     kStatusImageTooLarge},
    {"jpeg_gray_8000_square_within", [] { return JpegClaiming(8000, 8000); }, kStatusCorruptImage},
};

class DecodeSize : public testing::TestWithParam<SizeCase> {};

TEST_P(DecodeSize, RefusedFromTheHeader) {
  const Bytes bytes = GetParam().make();
  ASSERT_FALSE(bytes.empty()) << "convert could not make the file to rewrite";
  EXPECT_EQ(DecodeUnderMemoryCap(bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Headers, DecodeSize, testing::ValuesIn(kSizeCases),
                         [](const auto& param) { return std::string(param.param.name); });

// Cut and bit-flipped copies of the page in every format: any of the failure
// statuses or a well-formed image, never a crash, never a printed line.
class DamagedFile : public testing::TestWithParam<const char*> {};

TEST_P(DamagedFile, FailsCleanly) {
  const Bytes original = Whole(GetParam(), "");
  ASSERT_GT(original.size(), 64u);
  std::mt19937 random(12345);
  for (int round = 0; round < 48; ++round) {
    Bytes bytes = original;
    if (round < 16) {
      bytes.resize(bytes.size() * round / 16);
    } else {
      for (int flip = 0; flip <= round % 4; ++flip) {
        bytes[8 + random() % (bytes.size() - 8)] ^= UInt8(1u << (random() % 8));
      }
    }
    const CapturedDecode decoded = DecodeCapturing(bytes);
    SCOPED_TRACE("round " + std::to_string(round));
    EXPECT_EQ(decoded.printedOut, "");
    EXPECT_EQ(decoded.printedErr, "");
    if (decoded.status == kStatusSuccess) {
      EXPECT_EQ(decoded.image.pixels.size(),
                static_cast<std::size_t>(decoded.image.width) * decoded.image.height);
    } else {
      EXPECT_TRUE(decoded.status == kStatusEmptyImage || decoded.status == kStatusCorruptImage ||
                  decoded.status == kStatusUnknownImageFormat ||
                  decoded.status == kStatusImageTooLarge)
          << decoded.status;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, DamagedFile,
                         testing::Values("damaged.png", "PNG8:damaged8.png", "damaged.jpg",
                                         "damaged.tif", "damaged.gif", "BMP3:damaged.bmp",
                                         "damaged.pgm", "damaged.webp", "damaged.jp2"),
                         [](const auto& param) {
                           std::string name = param.param;
                           for (char& c : name) c = std::isalnum(c) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace vexo::engine::test
