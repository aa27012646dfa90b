// EAN/UPC add-ons as detections of their own, placed where zint draws them.

#include <gtest/gtest.h>

#include "engine/core/Symbology.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::test {
namespace {

using engine::Detection;
using engine::Symbology;

constexpr double kTolerance = 3;  // pixels

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

class AddOnTest : public testing::TestWithParam<std::tuple<AddOnCase, double>> {};

TEST_P(AddOnTest, MainAndAddOnAreSeparateDetections) {
  const auto& [c, scale] = GetParam();
  const Gray symbol = DrawSymbol(std::string(c.zint) + " --notext --guarddescent=0", scale);
  Corners main = DarkCorners(symbol);
  const Int32 mainRight = static_cast<Int32>(main[0].x + 2 * scale * c.mainModules) - 1;
  Corners addOn = DarkCorners(symbol, mainRight + 1);
  main = DarkCorners(symbol, 0, mainRight);
  const Gray page = OnPage(symbol, c.rotate, &main);
  OnPage(symbol, c.rotate, &addOn);
  engine::ViewSettings settings = Wanting({c.main, c.addOn});
  settings.tryRotate = true;
  const std::vector<Detection> found = Read(page, settings);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].symbology, c.main);
  EXPECT_EQ(found[0].content, Bytes(c.digits));
  ExpectCorners(found[0], main, kTolerance);
  EXPECT_EQ(found[1].symbology, c.addOn);
  EXPECT_EQ(found[1].code, engine::Info(c.addOn).code);
  EXPECT_EQ(found[1].content, Bytes(c.addOnDigits));
  ExpectCorners(found[1], addOn, kTolerance);
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

INSTANTIATE_TEST_SUITE_P(EanUpc, AddOnTest,
                         testing::Combine(testing::ValuesIn(kAddOnCases), testing::Values(1.0, 1.5)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) +
                                  (std::get<1>(p.param) == 1.0 ? "_2px" : "_3px");
                         });

}  // namespace
}  // namespace vexo::test
