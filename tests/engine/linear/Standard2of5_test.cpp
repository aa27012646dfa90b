// The Industrial 2 of 5 decoder on run rows: symbols zint draws (every
// digit) and rows written out in modules, read forwards and reversed, with
// ink spread, a 2:1 ratio, cut quiet zones and near misses.

#include "engine/linear/Standard2of5.h"

#include <gtest/gtest.h>

#include "engine/bars/RunTools.h"
#include "tests/engine/linear/RowTestSupport.h"

namespace vexo::test {
namespace {

struct S25Row {
  const char* name;
  const char* zint;  // zint arguments; or, when null, `runs` in modules
  const char* runs;
  float quiet = 10;
  float spread = 0;  // pixels, at 3 pixels a module
  bool reversed = false;
  std::vector<std::string> expected;
  const char* before = "";  // runs (from a bar) ahead of the quiet zone
};
void PrintTo(const S25Row& c, std::ostream* os) { *os << c.name; }

// Start "212111" (2:1), digits 1 and 7, then 4 (each bar followed by its space), stop "21112".
const S25Row kRows[] = {
    {"EveryDigit", "C25IND -d 0123456789", nullptr, 10, 0, false, {"0123456789"}},
    {"Reversed", "C25IND -d 0123456789", nullptr, 10, 0, true, {"<0123456789"}},
    {"InkSpread", "C25IND -d 9876543210", nullptr, 10, 0.8f, false, {"9876543210"}},
    {"InkShrink", "C25IND -d 9876543210", nullptr, 10, -0.8f, true, {"<9876543210"}},
    {"ThreeDigits", "C25IND -d 505", nullptr, 10, 0, false, {"505"}},
    {"TwoDigitsTooFew", "C25IND -d 50", nullptr, 10, 0, false, {}},
    {"QuietZoneCutByTheLine", "C25IND -d 0123456789", nullptr, 3, 0, false, {}},
    {"QuietZoneTooShort", "C25IND -d 0123456789", nullptr, 10, 0, false, {}, "16"},
    {"QuietZoneJustLongEnough",
     "C25IND -d 0123456789",
     nullptr,
     10,
     0,
     false,
     {"0123456789"},
     "17"},
    {"RatioTwo",
     nullptr,
     "212111"
     "2111111121"
     "1111112121"
     "1111211121"
     "21112",
     10,
     0,
     false,
     {"174"}},
    {"WideSpace",
     nullptr,
     "212111"
     "2111111121"
     "1111112221"
     "1111211121"
     "21112",
     10,
     0,
     false,
     {}},
    {"ThreeWideBars",
     nullptr,
     "212111"
     "2111211121"
     "1111112121"
     "1111211121"
     "21112",
     10,
     0,
     false,
     {}},
    {"NoStop",
     nullptr,
     "212111"
     "2111111121"
     "1111112121"
     "1111211121"
     "21111",
     10,
     0,
     false,
     {}},
    // Interleaved 2 of 5 carries digits in its spaces: not this symbology.
    {"Interleaved", "C25INTER -d 012345", nullptr, 10, 0, false, {}},
};

class S25Rows : public testing::TestWithParam<S25Row> {};

TEST_P(S25Rows, Contents) {
  const S25Row& c = GetParam();
  constexpr float kModule = 3;
  const engine::RunRow drawn = RowOfModules(
      c.before + (c.zint != nullptr ? ZintRuns(c.zint) : c.runs), kModule, c.quiet, c.spread);
  const engine::RunRow row = c.reversed ? engine::Reversed(drawn) : drawn;
  EXPECT_EQ(Contents(engine::ReadStandard2of5, row), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, S25Rows, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
