// The mixed page in every image format the worker takes reads the same
// barcodes; files that are no readable image end the run with one report.

#include <gtest/gtest.h>

#include <cctype>
#include <string_view>

#include "tests/e2e/E2eSupport.h"

namespace vexo::e2e {
namespace {

struct FormatCase {
  const char* name;
  const char* file;
  const char* options;  // ImageMagick options before the output file
  const char* format = "";
};
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

const FormatCase kFormats[] = {
    {"PngGray", "page.png", ""},
    {"PngPalette", "page.png", "", "PNG8"},
    {"PngRgb", "page.png", "-type TrueColor", "PNG24"},
    {"PngBilevel", "page.png", "-threshold 50% -type Bilevel"},
    {"Jpeg", "page.jpg", "-quality 90"},
    {"JpegProgressive", "page.jpg", "-quality 90 -interlace JPEG"},
    {"JpegRgb", "page.jpg", "-type TrueColor -quality 90"},
    {"TiffUncompressed", "page.tif", "-compress None"},
    {"TiffLzw", "page.tif", "-compress LZW"},
    {"TiffZip", "page.tif", "-compress Zip"},
    {"TiffPackBits", "page.tif", "-compress RLE"},
    {"TiffJpeg", "page.tif", "-compress JPEG -quality 90"},
    {"TiffG4", "page.tif", "-threshold 50% -compress Group4"},
    {"TiffG3", "page.tif", "-threshold 50% -compress Fax"},
    {"TiffRgbBigEndian", "page.tif", "-type TrueColor -endian MSB -compress LZW"},
    {"Bmp", "page.bmp", "", "BMP3"},
    {"BmpBilevel", "page.bmp", "-threshold 50% -type Bilevel", "BMP3"},
    {"Gif", "page.gif", ""},
    {"Pgm", "page.pgm", ""},
    {"Ppm", "page.ppm", ""},
    {"Pbm", "page.pbm", "-threshold 50%"},
    {"WebpLossless", "page.webp", "-define webp:lossless=true"},
    {"WebpLossy", "page.webp", "-quality 90"},
    {"Jpeg2000", "page.jp2", ""},
    {"Jpeg2000Codestream", "page.j2k", ""},
};

class ImageFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(ImageFormat, ReadsTheSameBarcodes) {
  const FormatCase& c = GetParam();
  TempDir dir;
  WriteImage(MixedPage(), dir.File(c.file), c.options, c.format);
  Request r;
  r.width = kPageWidth;
  r.height = kPageHeight;
  r.dpi = 144;
  r.bitmapPath = dir.File(c.file);
  r.resultPath = dir.File("result.json");
  const WorkerRun run = RunWorker(dir, r);
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(TypesAndTexts(run.result.value_or("")), TypesAndTexts(kMixedPageDocument));
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageFormat, testing::ValuesIn(kFormats),
                         [](const auto& p) { return std::string(p.param.name); });

// What the bitmap file holds, made from the mixed page's PNG, JPEG and TIFF.
struct BadImageCase {
  const char* name;
  std::string (*bytes)(const TempDir& dir);
};
void PrintTo(const BadImageCase& c, std::ostream* os) { *os << c.name; }

std::string FirstHalf(const TempDir& dir, const char* file) {
  WriteImage(MixedPage(), dir.File(file));
  const std::string whole = ReadBytes(dir.File(file));
  return whole.substr(0, whole.size() / 2);
}

const BadImageCase kBadImages[] = {
    {"TruncatedPng", [](const TempDir& dir) { return FirstHalf(dir, "page.png"); }},
    {"TruncatedJpeg", [](const TempDir& dir) { return FirstHalf(dir, "page.jpg"); }},
    {"TruncatedTiff", [](const TempDir& dir) { return FirstHalf(dir, "page.tif"); }},
    {"Text", [](const TempDir&) { return std::string("Not an image, just a line of text.\n"); }},
    {"ZeroBytes", [](const TempDir&) { return std::string(); }},
    {"PngHeaderClaimingHugeSize",
     [](const TempDir&) {
       // Signature, then an IHDR chunk of 100000 x 100000 gray pixels with its CRC.
       return std::string(
           "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0"
           "\x08\0\0\0\0\x8d\x39\x54\x14",
           33);
     }},
    {"PgmHeaderClaimingHugeSize",
     [](const TempDir&) { return std::string("P5\n100000 100000\n255\n") + std::string(64, 'x'); }},
};

// One line: the product name, the version (three numbers, a hyphen and ten
// hexadecimal digits), ", ERROR: " and `message`.
bool IsReportLine(std::string_view out, std::string_view message) {
  constexpr std::string_view kName = "Velmora Barcode Module ";
  constexpr std::string_view kError = ", ERROR: ";
  if (!out.starts_with(kName) ||
      !out.ends_with(std::string(kError) + std::string(message) + "\n")) {
    return false;
  }
  const std::string_view version =
      out.substr(kName.size(), out.size() - kName.size() - kError.size() - message.size() - 1);
  const std::size_t hyphen = version.find('-');
  if (hyphen == std::string_view::npos || version.size() - hyphen - 1 != 10) return false;
  int dots = 0;
  for (std::size_t i = 0; i < hyphen; ++i) {
    if (version[i] == '.') {
      ++dots;
    } else if (!std::isdigit(static_cast<unsigned char>(version[i]))) {
      return false;
    }
  }
  for (const char c : version.substr(hyphen + 1)) {
    if (!std::isxdigit(static_cast<unsigned char>(c)) ||
        std::isupper(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return dots == 2;
}

class BadImage : public testing::TestWithParam<BadImageCase> {};

TEST_P(BadImage, ReportsOnlyThatNoBitmapWasMade) {
  TempDir dir;
  WriteBytes(dir.File("bad.img"), GetParam().bytes(dir));
  Request r;
  r.width = kPageWidth;
  r.height = kPageHeight;
  r.bitmapPath = dir.File("bad.img");
  r.resultPath = dir.File("result.json");
  const WorkerRun run = RunWorker(dir, r);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(IsReportLine(run.out, "Could not create bitmap image")) << run.out;
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(run.result.has_value()) << "no result document after a failure";
}

INSTANTIATE_TEST_SUITE_P(Files, BadImage, testing::ValuesIn(kBadImages),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::e2e
