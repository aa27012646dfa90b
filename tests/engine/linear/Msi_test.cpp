// The MSI decoder on run rows: symbols zint draws (every digit, every check
// variant) and rows written out in half modules, read forwards and
// reversed, with ink spread, cut quiet zones and near misses.

#include "engine/linear/Msi.h"

#include <gtest/gtest.h>

#include "engine/bars/RunTools.h"
#include "tests/engine/linear/RowTestSupport.h"

namespace vexo::test {
namespace {

struct MsiRow {
  const char* name;
  const char* zint;  // zint arguments; or, when null, `runs` in half modules
  const char* runs;
  float quiet = 12;  // modules
  float spread = 0;  // pixels, at 3 pixels a module
  bool reversed = false;
  std::vector<std::string> expected;
  const char* before = "";  // runs (from a bar) ahead of the quiet zone
};
void PrintTo(const MsiRow& c, std::ostream* os) { *os << c.name; }

const MsiRow kRows[] = {
    {"EveryDigitNoCheck", "MSI_PLESSEY -d 0123456789", nullptr, 12, 0, false, {"0123456789"}},
    {"Mod10", "MSI_PLESSEY --vers=1 -d 1234", nullptr, 12, 0, false, {"12344"}},
    {"Mod10Twice", "MSI_PLESSEY --vers=2 -d 1234", nullptr, 12, 0, false, {"123448"}},
    {"Mod11", "MSI_PLESSEY --vers=3 -d 1234", nullptr, 12, 0, false, {"12343"}},
    {"Mod11Ten", "MSI_PLESSEY --vers=3 -d 6", nullptr, 12, 0, false, {"610"}},
    {"Mod11Mod10", "MSI_PLESSEY --vers=4 -d 1234", nullptr, 12, 0, false, {"123430"}},
    {"Mod11Ncr", "MSI_PLESSEY --vers=5 -d 8000", nullptr, 12, 0, false, {"80004"}},
    {"Mod11NcrMod10", "MSI_PLESSEY --vers=6 -d 6", nullptr, 12, 0, false, {"6106"}},
    {"Reversed", "MSI_PLESSEY --vers=1 -d 80523", nullptr, 12, 0, true, {"<805234"}},
    {"InkSpread", "MSI_PLESSEY --vers=1 -d 80523", nullptr, 12, 0.6f, false, {"805234"}},
    {"InkShrink", "MSI_PLESSEY --vers=1 -d 80523", nullptr, 12, -0.6f, true, {"<805234"}},
    {"ShortWithCheck", "MSI_PLESSEY --vers=1 -d 12", nullptr, 12, 0, false, {"125"}},
    {"ShortWithoutCheck", "MSI_PLESSEY -d 123", nullptr, 12, 0, false, {}},
    {"QuietZoneCutByTheLine", "MSI_PLESSEY --vers=1 -d 1234", nullptr, 3, 0, false, {}},
    {"QuietZoneTooShort", "MSI_PLESSEY --vers=1 -d 1234", nullptr, 12, 0, false, {}, "17"},
    {"QuietZoneJustLongEnough",
     "MSI_PLESSEY --vers=1 -d 1234",
     nullptr,
     12,
     0,
     false,
     {"12344"},
     "18"},
    // Start "42", digits 1, 9, 0 (a 1 bit "42", a 0 bit "24"), stop "242".
    {"HandMade",
     nullptr,
     "42"
     "24242442"
     "42242442"
     "24242424"
     "242",
     12,
     0,
     false,
     {"190"}},
    {"NoStop",
     nullptr,
     "42"
     "24242442"
     "42242442"
     "24242424"
     "24",
     12,
     0,
     false,
     {}},
    {"DigitOverNine",
     nullptr,
     "42"
     "42244224"
     "42242442"
     "24242424"
     "242",
     12,
     0,
     false,
     {}},
    {"BitOfEvenHalves",
     nullptr,
     "42"
     "24242433"
     "42242442"
     "24242424"
     "242",
     12,
     0,
     false,
     {}},
    {"UnevenBit",
     nullptr,
     "42"
     "24242462"
     "42242442"
     "24242424"
     "242",
     12,
     0,
     false,
     {}},
};

class MsiRows : public testing::TestWithParam<MsiRow> {};

TEST_P(MsiRows, Contents) {
  const MsiRow& c = GetParam();
  constexpr float kModule = 3;
  const engine::RunRow drawn =
      c.zint != nullptr ? RowOfModules(c.before + ZintRuns(c.zint), kModule, c.quiet, c.spread)
                        : RowOfModules(c.runs, kModule / 2, 2 * c.quiet, c.spread);
  const engine::RunRow row = c.reversed ? engine::Reversed(drawn) : drawn;
  EXPECT_EQ(Contents(engine::ReadMsi, row), c.expected);
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

struct CheckRow {
  const char* digits;
  bool verifies;
};

TEST(MsiChecks, EveryVariantAndNone) {
  const CheckRow rows[] = {{"12344", true},  {"123448", true}, {"12343", true}, {"610", true},
                           {"123430", true}, {"80004", true},  {"6106", true},  {"12345", false},
                           {"611", false},   {"1", false},     {"", false},     {"0000", true}};
  for (const CheckRow& r : rows) {
    const std::string d = r.digits;
    EXPECT_EQ(engine::MsiCheckVerifies({d.begin(), d.end()}), r.verifies) << d;
  }
}

}  // namespace
}  // namespace vexo::test
