// The Pharmacode decoder on run rows: symbols zint draws and rows written
// out in modules (thin bar 1, space 2, thick bar 3), read left to right only,
// with ink spread, short quiet zones and the runs of bars that are not one.

#include "engine/linear/Pharmacode.h"

#include <gtest/gtest.h>

#include "tests/engine/linear/RowTestSupport.h"

namespace vexo::test {
namespace {

const DecoderRow kRows[] = {
    {"Value1234", "zint PHARMA -d 1234", {"1234"}},
    // Read from the other end, the bars are another number: no direction is
    // seen, so none is reported reversed.
    {"Reversed", "zint PHARMA -d 1234", {"1835"}, true},
    {"SixteenThick", "zint PHARMA -d 131070", {"131070"}},
    {"SixteenThin", "zint PHARMA -d 65535", {"65535"}},
    {"ThreeBars", "zint PHARMA -d 7", {"7"}},
    {"TwoBarsTooFew", "zint PHARMA -d 6", {}},
    {"InkSpread", "zint PHARMA -d 12345", {"12345"}, false, 10, 0.8f},
    {"InkShrink", "zint PHARMA -d 12345", {"12345"}, false, 10, -0.8f},
    {"QuietZoneTooShort", "zint PHARMA -d 1234", {}, false, 10, 0, "17"},
    {"QuietZoneJustLongEnough", "zint PHARMA -d 1234", {"1234"}, false, 10, 0, "18"},
    {"QuietZoneCutByTheLine", "zint PHARMA -d 1234", {}, false, 3},
    {"SeventeenBars", "121212121212121212121212121212121", {}},
    {"BarsAsWideAsSpaces", "2222222222222", {}},
    {"UnevenSpaces", "1213121412121", {}},
    {"ThickTwiceThin", "1 2 1 2 2 2 2 2 1", {}},
    {"ThickSixTimesThin", "1 4 1 4 6 4 6 4 1", {}, false, 10, 0, "", 0.5f},
    {"ThinTooThin", "1 8 1 8 1 8 1", {}, false, 20, 0, "", 0.5f},
};

class PharmacodeRows : public testing::TestWithParam<DecoderRow> {};

TEST_P(PharmacodeRows, Contents) {
  EXPECT_EQ(ReadDecoderRow(engine::ReadPharmacode, GetParam()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PharmacodeRows, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
