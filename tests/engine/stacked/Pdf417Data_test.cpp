// Data codewords in, content bytes out: every compaction mode, the latches
// and shifts between them, the control codewords that carry no data, and the
// codeword lists that must be refused.

#include "engine/stacked/Pdf417Data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexo::engine::pdf417 {
namespace {

struct DataCase {
  const char* name;
  std::vector<int> codewords;
  const char* content;     // nullptr: refused
  std::size_t length = 0;  // content bytes, when they hold a zero
  bool gs1 = false;
  int segmentIndex = -1;
};
void PrintTo(const DataCase& c, std::ostream* os) { *os << c.name; }

const DataCase kCases[] = {
    // Text: two values of 30 per codeword; a trailing shift pads.
    {"TextAlphaFirstMode", {1, 89}, "ABC"},
    {"TextLatchLowerAndPadding", {900, 1, 87, 94, 179}, "ABCdef"},
    {"TextMixedLatch", {810, 841}, "a1"},
    {"TextPunctuationShift", {29, 329}, "A!"},
    {"TextPunctuationLatchAndBackToAlpha", {841, 750, 59, 29}, "1;<A"},
    {"TextAlphaShiftInLower", {810, 811, 89}, "aBc"},
    {"TextSpaceAndControls", {26, 853, 342}, "A ,\r\t"},
    {"TextLatchResetsToAlpha", {810, 900, 29}, "aA"},
    // Bytes: five codewords for six bytes; with 901 the rest one each.
    {"ByteLatchSingleBytes", {901, 65, 66, 67}, "ABC"},
    {"ByteLatchSix", {924, 109, 326, 368, 127, 330}, "ABCDEF"},
    {"ByteLatchGroupAndRest", {901, 109, 326, 368, 127, 330, 71}, "ABCDEFG"},
    {"ByteLatchFiveLeftAreSingles", {901, 72, 73, 74, 75, 76}, "HIJKL"},
    {"ByteShiftInText",
     {1, 913, 200, 89},
     "AB\xC8"
     "C"},
    {"ByteZero", {901, 0, 65}, "\0A", 2},
    // Numeric: base 900 with a leading 1, 15 codewords a group.
    {"Numeric", {902, 1, 486, 885, 289}, "123456789"},
    {"NumericTwoGroups",
     {902, 491, 81, 137, 450, 302, 67, 15, 174, 492, 862, 667, 475, 869, 12, 434, 112},
     "123456789012345678901234567890123456789012341"
     "2"},
    {"NumericThenText", {902, 1, 486, 885, 289, 900, 1, 89}, "123456789ABC"},
    // Control codewords without data.
    {"EciSkipped", {927, 26, 1, 89}, "ABC"},
    {"EciGeneralPurposeSkipped", {926, 5, 7, 1, 89}, "ABC"},
    {"GsOneFirstPosition", {903, 902, 17, 108, 428, 357, 400, 3}, "0109501101530003", 0, true},
    {"MacroBlockEndsContent",
     {900, 1, 89, 900, 928, 111, 100, 5, 923, 1, 111, 102},
     "ABC",
     0,
     false,
     0},
    {"MacroLastSegment", {1, 89, 928, 111, 102, 5, 922}, "ABC", 0, false, 2},
    // Refused.
    {"ReservedCodeword", {1, 918, 89}, nullptr},
    {"ByteValueOver255", {901, 256}, nullptr},
    {"ByteLatchSixWithPartialGroup", {924, 1, 2, 3}, nullptr},
    {"ByteGroupOver48Bits", {924, 899, 899, 899, 899, 899}, nullptr},
    {"NumericWithoutLeadingOne", {902, 0}, nullptr},
    {"TruncatedEci", {1, 927}, nullptr},
    {"TruncatedByteShift", {1, 913}, nullptr},
    {"MacroWithoutIndex", {1, 928, 5}, nullptr},
    {"MacroTerminatorNotLast", {1, 928, 111, 100, 922, 1}, nullptr},
};

class Decoding : public testing::TestWithParam<DataCase> {};

TEST_P(Decoding, GivesTheContent) {
  const DataCase& c = GetParam();
  const auto data = DecodeData(c.codewords);
  if (c.content == nullptr) {
    EXPECT_FALSE(data.has_value());
    return;
  }
  ASSERT_TRUE(data.has_value());
  const std::size_t length = c.length != 0 ? c.length : std::char_traits<char>::length(c.content);
  EXPECT_EQ(std::string(data->bytes.begin(), data->bytes.end()), std::string(c.content, length));
  EXPECT_EQ(data->gs1, c.gs1);
  EXPECT_EQ(data->macro, c.segmentIndex >= 0);
  EXPECT_EQ(data->segmentIndex, c.segmentIndex);
}

INSTANTIATE_TEST_SUITE_P(Pdf417, Decoding, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::engine::pdf417
