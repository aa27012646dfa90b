// Reader settings, argument checks, and pages that once stopped the process.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/Symbology.h"
#include "engine/stacked/StackedDataBar.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::test {
namespace {

using engine::Detection;
using engine::Symbology;

std::vector<std::string> Contents(const std::vector<Detection>& found) {
  std::vector<std::string> texts;
  for (const Detection& d : found) texts.emplace_back(d.content.begin(), d.content.end());
  std::sort(texts.begin(), texts.end());
  return texts;
}

// A Code 128, a GS1-128 and a QR Code side by side.
Gray MixedPage() {
  Gray page = Gray::White(900, 400);
  Place(page, DrawSymbol("CODE128 --notext -d PLAIN-128", 1.0), 40, 40);
  Place(page, DrawSymbol("GS1_128 --notext --gs1 -d '[01]12345678901231'", 1.0), 40, 240);
  Place(page, DrawSymbol("QRCODE -d MixedQr", 2.0), 650, 40);
  return page;
}

struct ChoiceCase {
  const char* name;
  std::vector<Symbology> wanted;
  std::vector<std::string> contents;
};
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceTest, OnlyWantedSymbologiesAreReported) {
  static const Gray page = MixedPage();
  engine::ViewSettings settings;
  for (const Symbology s : GetParam().wanted) settings.symbologies.set(engine::Index(s));
  EXPECT_EQ(Contents(Read(page, settings)), GetParam().contents);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ChoiceTest,
    testing::Values(ChoiceCase{"Nothing", {}, {}},
                    ChoiceCase{"OnlyUnreadable",
                               {Symbology::Msi, Symbology::PostNet, Symbology::MicroPdf417},
                               {}},
                    ChoiceCase{"QrCode", {Symbology::QrCode}, {"MixedQr"}},
                    ChoiceCase{"Code128WithoutGs1", {Symbology::Code128}, {"PLAIN-128"}},
                    ChoiceCase{"Gs1_128Alone", {Symbology::Gs1_128}, {"0112345678901231"}},
                    ChoiceCase{"All",
                               {Symbology::Code128, Symbology::Gs1_128, Symbology::QrCode},
                               {"0112345678901231", "MixedQr", "PLAIN-128"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Settings, MaxNumberOfSymbolsLimitsTheRead) {
  engine::ViewSettings settings = Wanting({Symbology::Code128, Symbology::Gs1_128});
  settings.maxNumberOfSymbols = 1;
  EXPECT_EQ(Read(MixedPage(), settings).size(), 1u);
}

TEST(Settings, TurnedLinearSymbolNeedsTryRotate) {
  const Gray page = OnPage(DrawSymbol("CODE128 --notext -d UPRIGHT", 1.0), 90);
  engine::ViewSettings settings = Wanting({Symbology::Code128});
  settings.tryRotate = false;
  EXPECT_TRUE(Read(page, settings).empty());
  settings.tryRotate = true;
  settings.localBinarizer = false;
  EXPECT_EQ(Contents(Read(page, settings)), std::vector<std::string>{"UPRIGHT"});
}

TEST(Settings, QuickScanStillCoversTheSymbolsHeight) {
  const Gray symbol = DrawSymbol("CODE128 --notext --height=60 -d QUICK", 1.0);
  Gray page = Gray::White(symbol.width + 80, 1600);
  Place(page, symbol, 40, 900);
  engine::ViewSettings settings = Wanting({Symbology::Code128});
  settings.tryHarder = false;
  const std::vector<Detection> found = Read(page, settings);
  ASSERT_EQ(found.size(), 1u);
  ExpectCorners(found[0], Moved(DarkCorners(symbol), symbol, 0, 40, 900), 3);
}

TEST(Settings, RowStrideWiderThanTheView) {
  const Gray page = MixedPage();
  const Int32 stride = page.width + 37;
  std::vector<UInt8> wide(static_cast<std::size_t>(stride) * page.height, 0);
  for (Int32 y = 0; y < page.height; ++y) {
    std::copy_n(&page.pixels[std::size_t(y) * page.width], page.width,
                &wide[std::size_t(y) * stride]);
  }
  const engine::ViewSettings settings = Wanting({Symbology::QrCode, Symbology::Code128});
  EXPECT_EQ(Contents(engine::ReadWithZx(wide.data(), page.width, page.height, stride, settings)),
            (std::vector<std::string>{"MixedQr", "PLAIN-128"}));
}

TEST(Settings, BadViewsReadNothing) {
  const std::vector<UInt8> pixels(100, 255);
  const engine::ViewSettings settings = Wanting({Symbology::QrCode});
  EXPECT_TRUE(engine::ReadWithZx(nullptr, 10, 10, 10, settings).empty());
  EXPECT_TRUE(engine::ReadWithZx(pixels.data(), 0, 10, 10, settings).empty());
  EXPECT_TRUE(engine::ReadWithZx(pixels.data(), 10, -1, 10, settings).empty());
  EXPECT_TRUE(engine::ReadWithZx(pixels.data(), 10, 10, 9, settings).empty());
}

// A full 300-dpi A4 page with a QR Code and a Code 128: the library's own
// defaults read it over a pyramid of downscaled copies and abort the process
// when the Code 128 turns up on several of them.
TEST(Regression, A4PageWithQrCodeAndCode128) {
  Gray page = Gray::White(2480, 3508);
  Place(page, DrawSymbol("QRCODE -d 'A4 page'", 5.0), 300, 300);
  Place(page, DrawSymbol("CODE128 -d A4-PAGE-128", 3.0), 300, 1500);
  const engine::ViewSettings settings = Wanting({Symbology::QrCode, Symbology::Code128});
  EXPECT_EQ(Contents(Read(page, settings)), (std::vector<std::string>{"A4 page", "A4-PAGE-128"}));
}

// Two linear symbols of the same content in one view end the library's
// multi-symbol search in a failed assertion, or (DataBar) are reported as
// one; each is still read, and a QR Code beside them too.
TEST(Regression, LinearSymbolsOfTheSameContent) {
  const struct {
    const char* name;
    const char* first;
    const char* second;
    Symbology symbology;
    Symbology secondSymbology = Symbology::QrCode;  // of the second symbol, when it differs
  } cases[] = {
      {"Code 128 at two sizes", "CODE128 --notext -d SAMEDATA",
       "CODE128 --notext --scale=2 -d SAMEDATA", Symbology::Code128},
      {"EAN-13 twice", "EANX --notext -d 590123412345", "EANX --notext -d 590123412345",
       Symbology::Ean13},
      {"DataBar twice", "DBAR_OMN --notext -d 1234567890123", "DBAR_OMN --notext -d 1234567890123",
       Symbology::DataBar},
      {"DataBar Expanded twice", "DBAR_EXP --notext --gs1 -d '[01]12345678901231[10]AB'",
       "DBAR_EXP --notext --gs1 -d '[01]12345678901231[10]AB'", Symbology::DataBarExpanded},
      {"DataBar beside a GS1-128 of its content", "DBAR_OMN --notext -d 1234567890123",
       "GS1_128 --notext --gs1 -d '[01]12345678901231'", Symbology::DataBar, Symbology::Gs1_128},
  };
  for (const auto& c : cases) {
    Gray page = Gray::White(1400, 900);
    Place(page, DrawSymbol(c.first, 1.0), 40, 40);
    Place(page, DrawSymbol(c.second, 1.0), 40, 400);
    Place(page, DrawSymbol("QRCODE -d 'beside them'", 2.0), 1000, 40);
    const std::vector<Detection> found =
        Read(page, Wanting({c.symbology, c.secondSymbology, Symbology::QrCode}));
    std::vector<std::string> contents = Contents(found);
    std::sort(contents.begin(), contents.end());
    ASSERT_EQ(contents.size(), 3u) << c.name;
    EXPECT_EQ(contents[0], contents[1]) << c.name;
    EXPECT_EQ(contents[2], "beside them") << c.name;
  }
}

// Stacked DataBar symbols are joined from halves on different lines; several
// of them, twice the same, on one page. The library reads them all without
// failing; the stacked ones are left to our stacked reader, which names them.
TEST(Regression, StackedDataBarsOnOnePage) {
  Gray page = Gray::White(1400, 900);
  Place(page, DrawSymbol("DBAR_STK -d 1234567890123", 1.0), 40, 40);
  Place(page, DrawSymbol("DBAR_STK -d 1234567890123", 1.0), 700, 40);
  Place(page, DrawSymbol("DBAR_OMNSTK -d 2000000000008", 1.0), 40, 300);
  Place(page, DrawSymbol("DBAR_EXPSTK --gs1 -d '[01]12345678901231[10]ABC'", 1.0), 700, 300);
  Place(page, DrawSymbol("DBAR_OMN --notext -d 3000000000001", 1.0), 40, 700);
  const std::vector<Detection> found =
      Read(page, Wanting({Symbology::DataBar, Symbology::DataBarExpanded}));
  EXPECT_EQ(Contents(found), (std::vector<std::string>{"0130000000000018"}));
  const std::vector<Detection> stacked = engine::ReadStackedDataBar(
      {page.pixels.data(), page.width, page.height, page.width},
      Wanting({Symbology::DataBarStacked, Symbology::DataBarExpandedStacked}));
  std::vector<std::string> contents = Contents(stacked);
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"0112345678901231", "0112345678901231",
                                                "011234567890123110ABC", "0120000000000080"}));
}

}  // namespace
}  // namespace vexo::test
