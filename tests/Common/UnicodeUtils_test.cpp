#include <gtest/gtest.h>

#include <string>

#include "Common/UnicodeUtils.h"
#include "ThrowCapture.h"

namespace vexo::Uni {
namespace {

using test::ExpectFailure;
using test::Thrown;

std::u16string ToUnits(const std::string& utf8) {
  std::string bytes;
  ToUTF16Native(utf8.data(), utf8.size(), bytes);
  EXPECT_EQ(bytes.size() % 2, 0u);
  return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

std::string FromUnits(const std::u16string& units) {
  std::string out = "stale";
  FromUTF16Native(units.data(), units.size(), out);
  return out;
}

struct RoundTrip {
  const char* name;
  std::string utf8;
  std::u16string units;
};

TEST(UnicodeConversion, RoundTripsEveryClass) {
  const RoundTrip cases[] = {
      {"empty", "", u""},
      {"ascii", "Hello, 123", u"Hello, 123"},
      {"zero bytes", std::string("a\0b\0", 4), std::u16string(u"a\0b\0", 4)},
      {"U+007F", "\x7F", u"\u007F"},
      {"U+0080", "\xC2\x80", u"\u0080"},
      {"two-byte", "\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
      {"U+07FF", "\xDF\xBF", u"\u07FF"},
      {"U+0800", "\xE0\xA0\x80", u"\u0800"},
      {"three-byte", "\xE2\x82\xAC" "1", u"\u20AC" "1"},
      {"U+D7FF", "\xED\x9F\xBF", u"\uD7FF"},
      {"U+E000", "\xEE\x80\x80", u"\uE000"},
      {"U+FFFF", "\xEF\xBF\xBF", u"\uFFFF"},
      {"U+10000", "\xF0\x90\x80\x80", u"\U00010000"},
      {"four-byte", "\xF0\x9F\x98\x80", std::u16string{0xD83D, 0xDE00}},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", std::u16string{0xDBFF, 0xDFFF}},
      {"mixed", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z", u"a\u00E9\u20AC\U0001F600z"},
  };
  for (const RoundTrip& c : cases) {
    EXPECT_EQ(ToUnits(c.utf8), c.units) << c.name;
    EXPECT_EQ(FromUnits(c.units), c.utf8) << c.name;
  }
}

TEST(UnicodeConversion, LenientForms) {
  const RoundTrip overLong[] = {
      {"C0 80", "\xC0\x80", std::u16string(1, u'\0')},
      {"E0 80 80", "\xE0\x80\x80", std::u16string(1, u'\0')},
      {"C1 BF", "\xC1\xBF", u"\u007F"},
      {"F0 8F BF BF", "\xF0\x8F\xBF\xBF", u"\uFFFF"},
  };
  for (const RoundTrip& c : overLong) EXPECT_EQ(ToUnits(c.utf8), c.units) << c.name;

  // The unit after a high surrogate counts by its low ten bits only.
  const RoundTrip afterHigh[] = {
      {"D800 0041", "\xF0\x90\x81\x81", std::u16string{0xD800, 0x0041}},
      {"D800 D800", "\xF0\x90\x80\x80", std::u16string{0xD800, 0xD800}},
      {"DBFF FFFF", "\xF4\x8F\xBF\xBF", std::u16string{0xDBFF, 0xFFFF}},
  };
  for (const RoundTrip& c : afterHigh) EXPECT_EQ(FromUnits(c.units), c.utf8) << c.name;
}

constexpr const char* kFromMulti = "vexo::Uni::CodePoint_from_UTF8_Multi";
constexpr const char* kFile = "UnicodeUtils.cpp";

TEST(UnicodeConversion, MalformedUTF8) {
  const test::ExpectedFailure incomplete{"writeCount>0", "vexo::Uni::ToUTF16Native",
                                         "Incomplete Unicode at end of string", kFile};
  const test::ExpectedFailure badLength{"!((bytesNeeded < 2) || (bytesNeeded > 4))", kFromMulti,
                                        "Invalid UTF8 sequence length", kFile};
  const test::ExpectedFailure badData{"(utf8In[i] & UINT32_C(0xC0)) == UINT32_C(0x80)",
                                      kFromMulti, "Invalid UTF8 data", kFile};
  const test::ExpectedFailure surrogate{"!((0xD800 <= inUnit) && (inUnit <= 0xDFFF))",
                                        kFromMulti, "Bad UTF8 code point", kFile};
  const test::ExpectedFailure tooBig{"inUnit <= 0x10FFFF", kFromMulti,
                                     "UTF8 codepoint is out of range", kFile};
  const struct {
    const char* name;
    std::string utf8;
    const test::ExpectedFailure& want;
  } cases[] = {
      {"ends in 2 of 3", "ab\xE2\x82", incomplete},
      {"ends in 1 of 2", "\xC3", incomplete},
      {"ends in 3 of 4", "x\xF0\x9F\x98", incomplete},
      {"too few bytes left wins over bad data", "\xE2\x41", incomplete},
      {"bad continuation", "\xE2\x41\x41", badData},
      {"bad last continuation", "\xF0\x9F\x98\x41", badData},
      {"stray 80", "a\x80z", badLength},
      {"stray BF at start", "\xBF", badLength},
      {"lead F8", "\xF8\x80\x80\x80\x80", badLength},
      {"lead FF", "\xFF", badLength},
      {"ED A0 80", "\xED\xA0\x80", surrogate},
      {"ED BF BF", "\xED\xBF\xBF", surrogate},
      {"F4 90 80 80", "\xF4\x90\x80\x80", tooBig},
      {"F5 80 80 80", "\xF5\x80\x80\x80", tooBig},
      {"F7 BF BF BF", "\xF7\xBF\xBF\xBF", tooBig},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    ExpectFailure(Thrown<UnicodeException>([&] { ToUTF16Native(c.utf8.data(), c.utf8.size(), out); }),
                  c.want);
  }
}

TEST(UnicodeConversion, MalformedUTF16) {
  const test::ExpectedFailure lowFirst{"hiUnit <= 0xDBFF",
                                       "vexo::Uni::CodePoint_from_UTF16Nat_Surrogate",
                                       "Bad UTF16 - leading low surrogate", kFile};
  const test::ExpectedFailure incomplete{"writeCount>0", "vexo::Uni::FromUTF16Native",
                                         "Incomplete Unicode at end of string", kFile};
  const struct {
    const char* name;
    std::u16string units;
    const test::ExpectedFailure& want;
  } cases[] = {
      {"lone DC00", std::u16string{0xDC00, u'a'}, lowFirst},
      {"DFFF inside", std::u16string{u'a', 0xDFFF, u'b'}, lowFirst},
      {"low surrogate last", std::u16string{u'a', 0xDC00}, lowFirst},
      {"reversed pair", std::u16string{0xDE00, 0xD83D}, lowFirst},
      {"lone D800 last", std::u16string{0xD800}, incomplete},
      {"high surrogate last", std::u16string{u'a', 0x00E9, 0xDBFF}, incomplete},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    ExpectFailure(Thrown<UnicodeException>([&] { FromUTF16Native(c.units.data(), c.units.size(), out); }),
                  c.want);
  }
}

TEST(UnicodeCodePoint, EncoderRefusals) {
  const char* kToMulti = "vexo::Uni::CodePoint_to_UTF8_Multi";
  UInt8 bytes[4] = {};
  char16_t units[2] = {};
  ExpectFailure(Thrown<UnicodeException>([&] { CodePoint_to_UTF8_Multi(0x110000, bytes, 4); }),
                {"cpIn <= 0x10FFFF", kToMulti, "UTF32 codepoint is out of range", kFile});
  for (UInt32 cp : {0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu}) {
    ExpectFailure(Thrown<UnicodeException>([&] { CodePoint_to_UTF8_Multi(cp, bytes, 4); }),
                  {"!((0xD800 <= cpIn) && (cpIn <= 0xDFFF))", kToMulti, "Bad UTF32 codepoint", kFile});
  }
  ExpectFailure(
      Thrown<UnicodeException>([&] { CodePoint_to_UTF16Nat_Surrogate(0x110000, units, 2); }),
      {"cpIn <= 0x10FFFF", "vexo::Uni::CodePoint_to_UTF16Nat_Surrogate",
       "UTF32 codepoint is out of range", kFile});
}

TEST(UnicodeCodePoint, NoRoomWritesNothing) {
  const struct {
    UInt32 codePoint;
    std::size_t capacity;
  } cases[] = {{0x80, 1}, {0x7FF, 1}, {0x800, 2}, {0xFFFF, 2}, {0x10000, 3}, {0x10FFFF, 0}};
  for (const auto& c : cases) {
    UInt8 bytes[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(CodePoint_to_UTF8_Multi(c.codePoint, bytes, c.capacity), 0u) << c.codePoint;
    EXPECT_EQ(bytes[0], 0xAA);
  }
  char16_t units[2] = {u'x', u'x'};
  EXPECT_EQ(CodePoint_to_UTF16Nat_Surrogate(0x1F600, units, 1), 0u);
  EXPECT_EQ(units[0], u'x');

  // A sequence longer than the bytes available is incomplete before its
  // following bytes are looked at.
  const UInt8 truncated[] = {0xF0, 0x41};
  EXPECT_EQ(CodePoint_from_UTF8_Multi(truncated, 2).bytesRead, 0u);
  const UInt8 full[] = {0xF0, 0x9F, 0x98, 0x80};
  const DecodedCodePoint decoded = CodePoint_from_UTF8_Multi(full, 4);
  EXPECT_EQ(decoded.codePoint, 0x1F600u);
  EXPECT_EQ(decoded.bytesRead, 4u);
}

}  // namespace
}  // namespace vexo::Uni
