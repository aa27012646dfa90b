// The Code 11 decoder on run rows: symbols zint draws (every character, C
// and K, C alone, no check) and rows written out in modules, read forwards
// and reversed, with ink spread, short quiet zones and near misses.

#include "engine/linear/Code11.h"

#include <gtest/gtest.h>

#include "tests/engine/linear/RowTestSupport.h"

namespace vexo::test {
namespace {

// Hand-made rows: start "11221", 1 "21112", 2 "12112", C = 4 "11212", stop,
// each followed by a narrow gap "1".
const DecoderRow kRows[] = {
    {"EveryCharacterNoCheck", "zint CODE11 --vers=2 -d 0123456789-", {"0123456789-"}},
    {"CAndK", "zint CODE11 -d 123-45", {"123-4552"}},
    {"CAndKOfOneDigit", "zint CODE11 -d 9", {"995"}},
    {"COnly", "zint CODE11 --vers=1 -d 0123456789-", {"0123456789-0"}},
    {"Reversed", "zint CODE11 -d 123-45", {"<123-4552"}, true},
    {"InkSpread", "zint CODE11 -d 0123456789-", {"0123456789-06"}, false, 10, 0.7f},
    {"InkShrink", "zint CODE11 -d 0123456789-", {"<0123456789-06"}, true, 10, -0.7f},
    {"ShortWithoutCheck", "zint CODE11 --vers=2 -d 12", {}},
    {"QuietZoneCutByTheLine", "zint CODE11 -d 123-45", {}, false, 3},
    {"QuietZoneTooShort", "zint CODE11 -d 123-45", {}, false, 10, 0, "16"},
    {"QuietZoneJustLongEnough", "zint CODE11 -d 123-45", {"123-4552"}, false, 10, 0, "17"},
    {"HandMade", "11221 1 21112 1 12112 1 11212 1 11221", {"124"}},
    {"NoStop", "11221 1 21112 1 12112 1 11212 1 11212", {}},
    {"WideGap", "11221 2 21112 1 12112 1 11212 1 11221", {}},
    {"ThreeWide", "11221 1 21212 1 12112 1 11212 1 11221", {}},
    {"NotACharacter", "11221 1 12121 1 12112 1 11212 1 11221", {}},
};

class Code11Rows : public testing::TestWithParam<DecoderRow> {};

TEST_P(Code11Rows, Contents) {
  EXPECT_EQ(ReadDecoderRow(engine::ReadCode11, GetParam()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Code11Rows, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Code11Checks, CAndKOrCAlone) {
  ExpectChecks(engine::Code11CheckVerifies, {{"123-4552", true},
                                             {"123-455", true},
                                             {"0123456789-0", true},
                                             {"995", true},
                                             {"99", true},
                                             {"123-4553", false},
                                             {"123-456", false},
                                             {"9", false},
                                             {"", false},
                                             {"0123456789-06", true}});
}

}  // namespace
}  // namespace vexo::test
