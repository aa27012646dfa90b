// The Code 11 decoder on run rows: symbols zint draws (every character, C
// and K, C alone, no check) and rows written out in modules, read forwards
// and reversed, with ink spread, cut quiet zones and near misses.

#include "engine/linear/Code11.h"

#include <gtest/gtest.h>

#include "engine/bars/RunTools.h"
#include "tests/engine/linear/RowTestSupport.h"

namespace vexo::test {
namespace {

struct Code11Row {
  const char* name;
  const char* zint;  // zint arguments; or, when null, `runs` in modules
  const char* runs;
  float quiet = 10;
  float spread = 0;  // pixels, at 3 pixels a module
  bool reversed = false;
  std::vector<std::string> expected;
  const char* before = "";  // runs (from a bar) ahead of the quiet zone
};
void PrintTo(const Code11Row& c, std::ostream* os) { *os << c.name; }

const Code11Row kRows[] = {
    {"EveryCharacterNoCheck",
     "CODE11 --vers=2 -d 0123456789-",
     nullptr,
     10,
     0,
     false,
     {"0123456789-"}},
    {"CAndK", "CODE11 -d 123-45", nullptr, 10, 0, false, {"123-4552"}},
    {"CAndKOfOneDigit", "CODE11 -d 9", nullptr, 10, 0, false, {"995"}},
    {"COnly", "CODE11 --vers=1 -d 0123456789-", nullptr, 10, 0, false, {"0123456789-0"}},
    {"Reversed", "CODE11 -d 123-45", nullptr, 10, 0, true, {"<123-4552"}},
    {"InkSpread", "CODE11 -d 0123456789-", nullptr, 10, 0.7f, false, {"0123456789-06"}},
    {"InkShrink", "CODE11 -d 0123456789-", nullptr, 10, -0.7f, true, {"<0123456789-06"}},
    {"ShortWithoutCheck", "CODE11 --vers=2 -d 12", nullptr, 10, 0, false, {}},
    {"QuietZoneCutByTheLine", "CODE11 -d 123-45", nullptr, 3, 0, false, {}},
    {"QuietZoneTooShort", "CODE11 -d 123-45", nullptr, 10, 0, false, {}, "16"},
    {"QuietZoneJustLongEnough", "CODE11 -d 123-45", nullptr, 10, 0, false, {"123-4552"}, "17"},
    // Start, 1, 2, C = 4 ("11212"), stop, with the narrow gaps.
    {"HandMade",
     nullptr,
     "11221"
     "1"
     "21112"
     "1"
     "12112"
     "1"
     "11212"
     "1"
     "11221",
     10,
     0,
     false,
     {"124"}},
    {"NoStop",
     nullptr,
     "11221"
     "1"
     "21112"
     "1"
     "12112"
     "1"
     "11212"
     "1"
     "11212",
     10,
     0,
     false,
     {}},
    {"WideGap",
     nullptr,
     "11221"
     "2"
     "21112"
     "1"
     "12112"
     "1"
     "11212"
     "1"
     "11221",
     10,
     0,
     false,
     {}},
    {"ThreeWide",
     nullptr,
     "11221"
     "1"
     "21212"
     "1"
     "12112"
     "1"
     "11212"
     "1"
     "11221",
     10,
     0,
     false,
     {}},
    {"NotACharacter",
     nullptr,
     "11221"
     "1"
     "12121"
     "1"
     "12112"
     "1"
     "11212"
     "1"
     "11221",
     10,
     0,
     false,
     {}},
};

class Code11Rows : public testing::TestWithParam<Code11Row> {};

TEST_P(Code11Rows, Contents) {
  const Code11Row& c = GetParam();
  constexpr float kModule = 3;
  const engine::RunRow drawn = RowOfModules(
      c.before + (c.zint != nullptr ? ZintRuns(c.zint) : c.runs), kModule, c.quiet, c.spread);
  const engine::RunRow row = c.reversed ? engine::Reversed(drawn) : drawn;
  EXPECT_EQ(Contents(engine::ReadCode11, row), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Code11Rows, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

struct CheckRow {
  const char* characters;
  bool verifies;
};

TEST(Code11Checks, CAndKOrCAlone) {
  const CheckRow rows[] = {{"123-4552", true},     {"123-455", true}, {"0123456789-0", true},
                           {"995", true},          {"99", true},      {"123-4553", false},
                           {"123-456", false},     {"9", false},      {"", false},
                           {"0123456789-06", true}};
  for (const CheckRow& r : rows) {
    const std::string c = r.characters;
    EXPECT_EQ(engine::Code11CheckVerifies({c.begin(), c.end()}), r.verifies) << c;
  }
}

}  // namespace
}  // namespace vexo::test
