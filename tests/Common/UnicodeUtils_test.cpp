#include <gtest/gtest.h>

#include <string>

#include "Common/UnicodeUtils.h"
#include "ThrowCapture.h"

namespace vexo::Uni {
namespace {

using test::ExpectedFailure;
using test::ExpectThrows;
using U16 = std::u16string;

U16 ToUnits(const std::string& utf8) {
  std::string bytes = "stale";
  ToUTF16Native(utf8.data(), utf8.size(), bytes);
  return U16(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

std::string FromUnits(const U16& units) {
  std::string out = "stale";
  FromUTF16Native(units.data(), units.size(), out);
  return out;
}

struct Pair {
  const char* name;
  std::string utf8;
  U16 units;
};

TEST(UnicodeConversion, RoundTripsEveryClass) {
  const Pair cases[] = {
      {"empty", "", u""},
      {"ascii", "Hello, 123", u"Hello, 123"},
      {"zero bytes", std::string("a\0b\0", 4), U16(u"a\0b\0", 4)},
      {"U+007F", "\x7F", u"\u007F"},
      {"U+0080", "\xC2\x80", u"\u0080"},
      {"U+07FF", "\xDF\xBF", u"\u07FF"},
      {"U+0800", "\xE0\xA0\x80", u"\u0800"},
      {"U+D7FF, U+E000", "\xED\x9F\xBF\xEE\x80\x80", u"\uD7FF\uE000"},
      {"U+FFFF", "\xEF\xBF\xBF", u"\uFFFF"},
      {"U+10000", "\xF0\x90\x80\x80", U16{0xD800, 0xDC00}},
      {"U+1F600", "\xF0\x9F\x98\x80", U16{0xD83D, 0xDE00}},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", U16{0xDBFF, 0xDFFF}},
      {"mixed", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z", u"a\u00E9\u20AC\U0001F600z"},
  };
  for (const Pair& c : cases) {
    EXPECT_EQ(ToUnits(c.utf8), c.units) << c.name;
    EXPECT_EQ(FromUnits(c.units), c.utf8) << c.name;
  }
}

TEST(UnicodeConversion, LenientUTF16) {
  // The unit after a high surrogate counts by its low ten bits only.
  const Pair afterHigh[] = {
      {"D800 0041", "\xF0\x90\x81\x81", U16{0xD800, 0x0041}},
      {"D800 D800", "\xF0\x90\x80\x80", U16{0xD800, 0xD800}},
      {"DBFF FFFF", "\xF4\x8F\xBF\xBF", U16{0xDBFF, 0xFFFF}},
  };
  for (const Pair& c : afterHigh) EXPECT_EQ(FromUnits(c.units), c.utf8) << c.name;
}

constexpr const char* kFile = "UnicodeUtils.cpp";
constexpr const char* kFromMulti = "vexo::Uni::CodePoint_from_UTF8_Multi";
constexpr const char* kToMulti = "vexo::Uni::CodePoint_to_UTF8_Multi";
constexpr const char* kIncomplete = "Incomplete Unicode at end of string";

TEST(UnicodeConversion, MalformedUTF8) {
  const ExpectedFailure incomplete{"writeCount>0", "vexo::Uni::ToUTF16Native", kIncomplete, kFile};
  const ExpectedFailure badLength{"!((bytesNeeded < 2) || (bytesNeeded > 4))", kFromMulti,
                                  "Invalid UTF8 sequence length", kFile};
  const ExpectedFailure badData{"(utf8In[i] & UINT32_C(0xC0)) == UINT32_C(0x80)", kFromMulti,
                                "Invalid UTF8 data", kFile};
  const ExpectedFailure surrogate{"!((0xD800 <= inUnit) && (inUnit <= 0xDFFF))", kFromMulti,
                                  "Bad UTF8 code point", kFile};
  const ExpectedFailure tooBig{"inUnit <= 0x10FFFF", kFromMulti, "UTF8 codepoint is out of range",
                               kFile};
  const ExpectedFailure overLong{"inUnit >= kShortestFormMinimum[bytesNeeded]", kFromMulti,
                                 "Invalid UTF8 data", kFile};
  const std::pair<std::string, const ExpectedFailure&> cases[] = {
      {"ab\xE2\x82", incomplete},       {"\xC3", incomplete},
      {"x\xF0\x9F\x98", incomplete},    {"\xE2\x41", incomplete},  // too short before bad data
      {"\xE2\x41\x41", badData},        {"\xF0\x9F\x98\x41", badData},
      {"a\x80z", badLength},            {"\xBF", badLength},
      {"\xF8\x80\x80\x80\x80", badLength}, {"\xFF", badLength},
      {"\xED\xA0\x80", surrogate},      {"\xED\xBF\xBF", surrogate},
      {"\xF4\x90\x80\x80", tooBig},     {"\xF5\x80\x80\x80", tooBig},
      {"\xF7\xBF\xBF\xBF", tooBig},
      // Over-long forms: a zero, "/", the largest value of each shorter form.
      {"a\xC0\x80", overLong},        {"\xC0\xAF", overLong},
      {"\xC1\xBF", overLong},         {"\xE0\x80\x80", overLong},
      {"\xE0\x80\xAF", overLong},    {"\xE0\x9F\xBF", overLong},
      {"\xF0\x80\x80\xAF", overLong}, {"\xF0\x8F\xBF\xBF", overLong},
      // A surrogate in a four-byte form is refused as a surrogate.
      {"o2\xF0\x8D\xA0\x80" "A", surrogate}, {"\xF0\x8D\xBF\xBF", surrogate},
  };
  for (const auto& [utf8, want] : cases) {
    SCOPED_TRACE(::testing::PrintToString(utf8));
    std::string out;
    ExpectThrows<UnicodeException>([&] { ToUTF16Native(utf8.data(), utf8.size(), out); }, want);
  }
}

TEST(UnicodeConversion, MalformedUTF16) {
  const ExpectedFailure lowFirst{"hiUnit <= 0xDBFF", "vexo::Uni::CodePoint_from_UTF16Nat_Surrogate",
                                 "Bad UTF16 - leading low surrogate", kFile};
  const ExpectedFailure incomplete{"writeCount>0", "vexo::Uni::FromUTF16Native", kIncomplete,
                                   kFile};
  const std::pair<U16, const ExpectedFailure&> cases[] = {
      {U16{0xDC00, u'a'}, lowFirst},   {U16{u'a', 0xDFFF, u'b'}, lowFirst},
      {U16{u'a', 0xDC00}, lowFirst},   {U16{0xDE00, 0xD83D}, lowFirst},
      {U16{0xD800}, incomplete},       {U16{u'a', 0x00E9, 0xDBFF}, incomplete},
  };
  for (const auto& [units, want] : cases) {
    SCOPED_TRACE(::testing::PrintToString(units));
    std::string out;
    ExpectThrows<UnicodeException>([&] { FromUTF16Native(units.data(), units.size(), out); },
                                   want);
  }
}

TEST(UnicodeCodePoint, EncoderRefusals) {
  UInt8 bytes[4] = {};
  ExpectThrows<UnicodeException>([&] { CodePoint_to_UTF8_Multi(0x110000, bytes, 4); },
                                 {"cpIn <= 0x10FFFF", kToMulti, "UTF32 codepoint is out of range",
                                  kFile});
  for (UInt32 cp : {0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu}) {
    ExpectThrows<UnicodeException>([&] { CodePoint_to_UTF8_Multi(cp, bytes, 4); },
                                   {"!((0xD800 <= cpIn) && (cpIn <= 0xDFFF))", kToMulti,
                                    "Bad UTF32 codepoint", kFile});
  }
  char16_t units[2] = {};
  ExpectThrows<UnicodeException>([&] { CodePoint_to_UTF16Nat_Surrogate(0x110000, units, 2); },
                                 {"cpIn <= 0x10FFFF", "vexo::Uni::CodePoint_to_UTF16Nat_Surrogate",
                                  "UTF32 codepoint is out of range", kFile});
}

}  // namespace
}  // namespace vexo::Uni
