// The MSI decoder on run rows: symbols zint draws (every digit, every check
// variant) and rows written out in half modules, read forwards and
// reversed, with ink spread, short quiet zones and near misses.

#include "engine/linear/Msi.h"

#include <gtest/gtest.h>

#include "tests/engine/linear/RowTestSupport.h"

namespace vexo::test {
namespace {

// Hand-made rows in half modules: start "42", a 1 bit "42", a 0 bit "24",
// stop "24 2"; digits 1, 9, 0 read "190" (mod 10 check 0).
const DecoderRow kRows[] = {
    {"EveryDigitNoCheck", "zint MSI_PLESSEY -d 0123456789", {"0123456789"}},
    {"Mod10", "zint MSI_PLESSEY --vers=1 -d 1234", {"12344"}},
    {"Mod10Twice", "zint MSI_PLESSEY --vers=2 -d 1234", {"123448"}},
    {"Mod11", "zint MSI_PLESSEY --vers=3 -d 1234", {"12343"}},
    {"Mod11Ten", "zint MSI_PLESSEY --vers=3 -d 6", {"610"}},
    {"Mod11Mod10", "zint MSI_PLESSEY --vers=4 -d 1234", {"123430"}},
    {"Mod11Ncr", "zint MSI_PLESSEY --vers=5 -d 8000", {"80004"}},
    {"Mod11NcrMod10", "zint MSI_PLESSEY --vers=6 -d 6", {"6106"}},
    {"Reversed", "zint MSI_PLESSEY --vers=1 -d 80523", {"<805234"}, true},
    {"InkSpread", "zint MSI_PLESSEY --vers=1 -d 80523", {"805234"}, false, 12, 0.6f},
    {"InkShrink", "zint MSI_PLESSEY --vers=1 -d 80523", {"<805234"}, true, 12, -0.6f},
    {"ShortWithCheck", "zint MSI_PLESSEY --vers=1 -d 12", {"125"}},
    {"ShortWithoutCheck", "zint MSI_PLESSEY -d 123", {}},
    {"QuietZoneCutByTheLine", "zint MSI_PLESSEY --vers=1 -d 1234", {}, false, 3},
    {"QuietZoneTooShort", "zint MSI_PLESSEY --vers=1 -d 1234", {}, false, 12, 0, "17"},
    {"QuietZoneJustLongEnough", "zint MSI_PLESSEY --vers=1 -d 1234", {"12344"}, false, 12, 0, "18"},
    {"HandMade", "42 24242442 42242442 24242424 242", {"190"}, false, 12, 0, "", 0.5f},
    {"NoStop", "42 24242442 42242442 24242424 24", {}, false, 12, 0, "", 0.5f},
    {"DigitOverNine", "42 42244224 42242442 24242424 242", {}, false, 12, 0, "", 0.5f},
    {"BitOfEvenHalves", "42 24242433 42242442 24242424 242", {}, false, 12, 0, "", 0.5f},
    {"UnevenBit", "42 24242462 42242442 24242424 242", {}, false, 12, 0, "", 0.5f},
};

class MsiRows : public testing::TestWithParam<DecoderRow> {};

TEST_P(MsiRows, Contents) {
  EXPECT_EQ(ReadDecoderRow(engine::ReadMsi, GetParam()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MsiRows, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(MsiRows, TwoSymbolsOnOneLineAndWhereTheyLie) {
  const std::string one = ZintRuns("MSI_PLESSEY --vers=1 -d 1234");
  const std::string two = ZintRuns("MSI_PLESSEY --vers=3 -d 1234");
  const engine::RunRow row = RowOfModules(one + "9" + two, 2, 12);
  std::vector<engine::LineRead> reads;
  engine::ReadMsi(row, reads);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(std::string(reads[0].content.begin(), reads[0].content.end()), "12344");
  EXPECT_EQ(std::string(reads[1].content.begin(), reads[1].content.end()), "12343");
  EXPECT_FLOAT_EQ(reads[0].begin, 24);  // after twelve modules of two pixels
  EXPECT_EQ(reads[0].symbology, engine::Symbology::Msi);
  EXPECT_FALSE(reads[1].reversed);
  EXPECT_LT(reads[0].end, reads[1].begin);
}

TEST(MsiChecks, EveryVariantAndNone) {
  ExpectChecks(engine::MsiCheckVerifies, {{"12344", true},
                                          {"123448", true},
                                          {"12343", true},
                                          {"610", true},
                                          {"123430", true},
                                          {"80004", true},
                                          {"6106", true},
                                          {"12345", false},
                                          {"611", false},
                                          {"1", false},
                                          {"", false},
                                          {"0000", true}});
}

}  // namespace
}  // namespace vexo::test
