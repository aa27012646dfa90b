// Reads of zint-drawn symbols placed on a white page, some of them turned:
// symbology, result code, content bytes and corners, at two module sizes.

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/Symbology.h"
#include "engine/zx/ReadMapping.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::test {
namespace {

using engine::Detection;
using engine::Symbology;

constexpr Int32 kTolerance = 3;  // pixels, for every corner coordinate

struct ReadCase {
  const char* name;
  const char* zint;
  Symbology symbology;
  UInt32 code;
  const char* content;
  int slackModules = 0;  // the library's corners may fall short by this much
  int rotate = 0;        // clockwise, degrees
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const ReadCase kReadCases[] = {
    {"Ean13", "EANX --notext --guarddescent=0 -d 590123412345", Symbology::Ean13, 0x80000001,
     "5901234123457"},
    {"Ean8", "EANX --notext --guarddescent=0 -d 9638507", Symbology::Ean8, 0x80000002, "96385074"},
    {"UpcA", "UPCA --notext --guarddescent=0 -d 01234567890", Symbology::UpcA, 0x80000004,
     "012345678905"},
    {"UpcE", "UPCE --notext --guarddescent=0 -d 0123456", Symbology::UpcE, 0x80000008, "01234565"},
    {"Code39CheckChar", "CODE39 --notext --vers=1 -d ABC123", Symbology::Code39, 0x80000010,
     "ABC123$"},
    {"Code39NoFullAscii", "EXCODE39 --notext -d ab", Symbology::Code39, 0x80000010, "+A+B"},
    {"Code128", "CODE128 --notext -d 'Hello 123'", Symbology::Code128, 0x80000020, "Hello 123"},
    {"Gs1_128", "GS1_128 --notext --gs1 -d '[01]12345678901231[10]ABC[17]251231'",
     Symbology::Gs1_128, 0x80000100,
     "011234567890123110ABC\x1d"
     "17251231"},
    {"I25CheckDigit", "C25INTER --notext --vers=1 -d 12345", Symbology::Interleaved2of5, 0x80000040,
     "123457"},
    {"CodabarStartStop", "CODABAR --notext -d A12345B", Symbology::Codabar, 0x80000080, "A12345B"},
    {"Code93", "CODE93 --notext -d ABC-12", Symbology::Code93, 0x80000200, "ABC-12"},
    {"DataBar", "DBAR_OMN --notext -d 1234567890123", Symbology::DataBar, 0x80008000,
     "0112345678901231"},
    {"DataBarExpanded", "DBAR_EXP --notext --gs1 -d '[01]12345678901231[3103]001234[10]A(B)C[21]X'",
     Symbology::DataBarExpanded, 0x80020000,
     "0112345678901231"
     "3103001234"
     "10A(B)C\x1d"
     "21X",
     2},
    {"QrCodeVersion1", "QRCODE -d Hello", Symbology::QrCode, 0x08000301, "Hello"},
    {"QrCodeVersion7", "QRCODE --vers=7 --secure=2 -d Seven", Symbology::QrCode, 0x08000307,
     "Seven"},
    {"QrCodeUtf8Eci", "QRCODE --eci=26 -d 'Grüße'", Symbology::QrCode, 0x08000301,
     "Gr\xc3\xbc\xc3\x9f"
     "e"},
    {"QrCodeLatin1", "QRCODE -d 'Grüße'", Symbology::QrCode, 0x08000301,
     "Gr\xc3\xbc\xc3\x9f"
     "e"},
    {"QrCodeGs1", "QRCODE --gs1 -d '[01]12345678901231[10]AB[17]251231'", Symbology::QrCode,
     0x08000301,
     "011234567890123110AB\x1d"
     "17251231"},
    {"MicroQrCode", "MICROQR -d 12345", Symbology::MicroQrCode, 0x24000000, "12345"},
    {"DataMatrixSquare", "DATAMATRIX -d Hi", Symbology::DataMatrix, 0x10000101, "Hi"},
    {"DataMatrix8x18", "DATAMATRIX --vers=25 -d Hi", Symbology::DataMatrix, 0x10000119, "Hi"},
    {"DataMatrixExtendedSize", "DATAMATRIX --vers=31 -d Hi", Symbology::DataMatrix, 0x1000011F,
     "Hi"},
    {"DataMatrixGs1", "DATAMATRIX --gs1 -d '[01]12345678901231[10]AB[17]251231'",
     Symbology::DataMatrix, 0x10000105,
     "011234567890123110AB\x1d"
     "17251231"},
    {"Pdf417", "PDF417 -d 'PDF Hello 123'", Symbology::Pdf417, 0x20002000, "PDF Hello 123"},
    {"Aztec", "AZTEC -d 'Aztec Hello'", Symbology::Aztec, 0x21000000, "Aztec Hello"},
    {"MaxiCode", "MAXICODE -d 'Maxi Hello 12345'", Symbology::MaxiCode, 0x22000000,
     "Maxi Hello 12345"},
    {"Code128Turned90", "CODE128 --notext -d TURNED", Symbology::Code128, 0x80000020, "TURNED", 0,
     90},
    {"Code128Turned180", "CODE128 --notext -d TURNED", Symbology::Code128, 0x80000020, "TURNED", 0,
     180},
    {"Code128Turned270", "CODE128 --notext -d TURNED", Symbology::Code128, 0x80000020, "TURNED", 0,
     270},
    {"Ean13Turned180", "EANX --notext --guarddescent=0 -d 590123412345", Symbology::Ean13,
     0x80000001, "5901234123457", 0, 180},
    {"DataBarTurned90", "DBAR_OMN --notext -d 1234567890123", Symbology::DataBar, 0x80008000,
     "0112345678901231", 0, 90},
    {"QrCodeTurned90", "QRCODE -d Turned", Symbology::QrCode, 0x08000301, "Turned", 0, 90},
    {"DataMatrixTurned270", "DATAMATRIX --vers=27 -d Turned", Symbology::DataMatrix, 0x1000011B,
     "Turned", 0, 270},
};

class ReadTest : public testing::TestWithParam<std::tuple<ReadCase, double>> {};

TEST_P(ReadTest, TypeContentAndCorners) {
  const auto& [c, scale] = GetParam();
  const Gray symbol = DrawSymbol(c.zint, scale);
  Corners expected = DarkCorners(symbol);
  const Gray page = OnPage(symbol, c.rotate, &expected);
  engine::ViewSettings settings = Wanting({c.symbology});
  settings.tryRotate = true;
  const std::vector<Detection> found = Read(page, settings);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].symbology, c.symbology);
  EXPECT_EQ(found[0].code, c.code);
  EXPECT_EQ(found[0].content, Bytes(c.content));
  ExpectCorners(found[0], expected, kTolerance + c.slackModules * 2 * scale);
}

INSTANTIATE_TEST_SUITE_P(Symbologies, ReadTest,
                         testing::Combine(testing::ValuesIn(kReadCases), testing::Values(1.0, 1.5)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) +
                                  (std::get<1>(p.param) == 1.0 ? "_2px" : "_3px");
                         });

TEST(ReadMapping, ReadsWithoutASymbolsOutlineAreDropped) {
  using engine::PointD;
  const struct Case {
    const char* name;
    Symbology symbology;
    engine::Quad quad;
    std::size_t kept;
  } cases[] = {
      {"PDF417 with two corners at one point",
       Symbology::Pdf417,
       {{{331, 680}, {0, 0}, {0, 0}, {328, 695}}},
       0},
      {"QR Code on a line", Symbology::QrCode, {{{10, 10}, {60, 10}, {110, 10}, {160, 10}}}, 0},
      {"PDF417 outline", Symbology::Pdf417, {{{10, 10}, {300, 12}, {298, 90}, {8, 88}}}, 1},
      {"Code 128 seen on one line",
       Symbology::Code128,
       {{{10, 50}, {200, 50}, {200, 50}, {10, 50}}},
       1},
  };
  const Gray page = Gray::White(400, 200);
  const engine::GrayView view{page.pixels.data(), page.width, page.height, page.width};
  for (const Case& c : cases) {
    engine::LibraryRead read;
    read.symbology = c.symbology;
    read.bytes = Bytes("AA");
    read.kind = engine::ContentKind::Text;
    read.quad = c.quad;
    EXPECT_EQ(engine::MapReads({read}, view, Wanting({c.symbology}).symbologies).size(), c.kept)
        << c.name;
  }
}

}  // namespace
}  // namespace vexo::test
