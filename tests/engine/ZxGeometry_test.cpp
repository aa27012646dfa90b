// Corners of turned symbols, and EAN/UPC add-ons as detections of their own
// whose place is checked against the add-on zint draws.

#include <gtest/gtest.h>

#include "engine/core/Symbology.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::test {
namespace {

using engine::Detection;
using engine::Symbology;

constexpr Int32 kTolerance = 3;

void ExpectCorners(const Detection& found, const Corners& expected) {
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(found.corners[i].x, expected[i].x, kTolerance) << "corner " << i;
    EXPECT_NEAR(found.corners[i].y, expected[i].y, kTolerance) << "corner " << i;
  }
}

struct TurnCase {
  const char* name;
  const char* zint;
  Symbology symbology;
  int rotate;
};
void PrintTo(const TurnCase& c, std::ostream* os) { *os << c.name; }

const TurnCase kTurnCases[] = {
    {"Code128_90", "CODE128 --notext -d TURNED-128", Symbology::Code128, 90},
    {"Code128_180", "CODE128 --notext -d TURNED-128", Symbology::Code128, 180},
    {"Code128_270", "CODE128 --notext -d TURNED-128", Symbology::Code128, 270},
    {"Ean13_180", "EANX --notext --guarddescent=0 -d 590123412345", Symbology::Ean13, 180},
    {"DataBar_90", "DBAR_OMN --notext -d 1234567890123", Symbology::DataBar, 90},
    {"QrCode_90", "QRCODE -d Turned", Symbology::QrCode, 90},
    {"DataMatrix_270", "DATAMATRIX --vers=27 -d Turned", Symbology::DataMatrix, 270},
};

class TurnTest : public testing::TestWithParam<TurnCase> {};

TEST_P(TurnTest, CornersFollowReadingOrder) {
  const TurnCase& c = GetParam();
  const Gray symbol = DrawSymbol(c.zint, 1.0);
  Corners expected = DarkCorners(symbol);
  const Gray page = OnPage(symbol, c.rotate, &expected);
  engine::ZxSettings settings = Wanting({c.symbology});
  settings.tryRotate = true;
  const std::vector<Detection> found = Read(page, settings);
  ASSERT_EQ(found.size(), 1u);
  ExpectCorners(found[0], expected);
}

INSTANTIATE_TEST_SUITE_P(Rotations, TurnTest, testing::ValuesIn(kTurnCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct AddOnCase {
  const char* name;
  const char* zint;
  Symbology main;
  const char* digits;
  Int32 mainModules;
  Symbology addOn;
  const char* addOnDigits;
  int rotate;
};
void PrintTo(const AddOnCase& c, std::ostream* os) { *os << c.name; }

const AddOnCase kAddOnCases[] = {
    {"Ean13Plus2", "EANX -d 590123412345+12", Symbology::Ean13, "5901234123457", 95,
     Symbology::EanExt2, "12", 0},
    {"Ean13Plus5", "EANX -d 590123412345+54321", Symbology::Ean13, "5901234123457", 95,
     Symbology::EanExt5, "54321", 0},
    {"Ean8Plus2Gap10", "EANX --addongap=10 -d 9638507+12", Symbology::Ean8, "96385074", 67, Symbology::EanExt2, "12",
     0},
    {"UpcAPlus5Gap10", "UPCA --addongap=10 -d 01234567890+12345", Symbology::UpcA, "012345678905",
     95, Symbology::EanExt5, "12345", 0},
    {"UpcEPlus2", "UPCE -d 0123456+12", Symbology::UpcE, "01234565", 51, Symbology::EanExt2, "12",
     0},
    {"Ean13Plus5_90", "EANX -d 590123412345+54321", Symbology::Ean13, "5901234123457", 95,
     Symbology::EanExt5, "54321", 90},
    {"UpcAPlus2_180", "UPCA -d 01234567890+12", Symbology::UpcA, "012345678905", 95,
     Symbology::EanExt2, "12", 180},
};

class AddOnTest : public testing::TestWithParam<AddOnCase> {};

TEST_P(AddOnTest, MainAndAddOnAreSeparateDetections) {
  const AddOnCase& c = GetParam();
  const Gray symbol = DrawSymbol(std::string(c.zint) + " --notext --guarddescent=0", 1.0);
  Corners main = DarkCorners(symbol);
  const Int32 mainRight = main[0].x + 2 * c.mainModules - 1;
  Corners addOn = DarkCorners(symbol, mainRight + 1);
  main = DarkCorners(symbol, 0, mainRight);
  const Gray page = OnPage(symbol, c.rotate, &main);
  OnPage(symbol, c.rotate, &addOn);
  engine::ZxSettings settings = Wanting({c.main, c.addOn});
  settings.tryRotate = true;
  const std::vector<Detection> found = Read(page, settings);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].symbology, c.main);
  EXPECT_EQ(found[0].content, Bytes(c.digits));
  ExpectCorners(found[0], main);
  EXPECT_EQ(found[1].symbology, c.addOn);
  EXPECT_EQ(found[1].code, engine::Info(c.addOn).code);
  EXPECT_EQ(found[1].content, Bytes(c.addOnDigits));
  ExpectCorners(found[1], addOn);
}

TEST(AddOn, OnlyTheWantedPartIsReported) {
  const Gray page = OnPage(DrawSymbol("EANX -d 590123412345+12", 1.0), 0);
  const std::vector<Detection> addOnOnly = Read(page, Wanting({Symbology::EanExt2}));
  ASSERT_EQ(addOnOnly.size(), 1u);
  EXPECT_EQ(addOnOnly[0].content, Bytes("12"));
  const std::vector<Detection> mainOnly = Read(page, Wanting({Symbology::Ean13}));
  ASSERT_EQ(mainOnly.size(), 1u);
  EXPECT_EQ(mainOnly[0].content, Bytes("5901234123457"));
  EXPECT_TRUE(Read(page, Wanting({Symbology::EanExt5})).empty());
}

INSTANTIATE_TEST_SUITE_P(EanUpc, AddOnTest, testing::ValuesIn(kAddOnCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
