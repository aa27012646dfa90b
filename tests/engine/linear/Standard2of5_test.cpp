// The Industrial 2 of 5 decoder on run rows: symbols zint draws (every
// digit) and rows written out in modules, read forwards and reversed, with
// ink spread, a 2:1 ratio, short quiet zones and near misses.

#include "engine/linear/Standard2of5.h"

#include <gtest/gtest.h>

#include "tests/engine/linear/RowTestSupport.h"

namespace vexo::test {
namespace {

// Hand-made rows at a 2:1 ratio, each bar followed by its space: start
// "212111", digits 1 "2111111121", 7 "1111112121", 4 "1111211121", stop
// "21112".
const DecoderRow kRows[] = {
    {"EveryDigit", "zint C25IND -d 0123456789", {"0123456789"}},
    {"Reversed", "zint C25IND -d 0123456789", {"<0123456789"}, true},
    {"InkSpread", "zint C25IND -d 9876543210", {"9876543210"}, false, 10, 0.8f},
    {"InkShrink", "zint C25IND -d 9876543210", {"<9876543210"}, true, 10, -0.8f},
    {"ThreeDigits", "zint C25IND -d 505", {"505"}},
    {"TwoDigitsTooFew", "zint C25IND -d 50", {}},
    {"QuietZoneCutByTheLine", "zint C25IND -d 0123456789", {}, false, 3},
    {"QuietZoneTooShort", "zint C25IND -d 0123456789", {}, false, 10, 0, "16"},
    {"QuietZoneJustLongEnough", "zint C25IND -d 0123456789", {"0123456789"}, false, 10, 0, "17"},
    {"RatioTwo", "212111 2111111121 1111112121 1111211121 21112", {"174"}},
    {"WideSpace", "212111 2111111121 1111112221 1111211121 21112", {}},
    {"ThreeWideBars", "212111 2111211121 1111112121 1111211121 21112", {}},
    {"NoStop", "212111 2111111121 1111112121 1111211121 21111", {}},
    // Interleaved 2 of 5 carries digits in its spaces: not this symbology.
    {"Interleaved", "zint C25INTER -d 012345", {}},
};

class S25Rows : public testing::TestWithParam<DecoderRow> {};

TEST_P(S25Rows, Contents) {
  EXPECT_EQ(ReadDecoderRow(engine::ReadStandard2of5, GetParam()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, S25Rows, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
