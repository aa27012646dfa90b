#include <gtest/gtest.h>

#include <string>

#include "Common/UnicodeUtils.h"

namespace vexo::Uni {
namespace {

std::u16string ToUnits(const std::string& utf8) {
  std::string bytes;
  ToUTF16Native(utf8.data(), utf8.size(), bytes);
  return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

std::string FromUnits(const std::u16string& units) {
  std::string out;
  FromUTF16Native(units.data(), units.size(), out);
  return out;
}

// A character that needs two units (or four bytes) lands on the edge of the
// fixed 8192-unit buffer: the pair moves whole into the next pass.
TEST(UnicodeChunks, SupplementaryCharacterAtUnitBufferEdge) {
  const std::u16string pair{0xD83D, 0xDE00};
  for (std::size_t prefix : {8189u, 8190u, 8191u, 8192u, 8193u}) {
    const std::string utf8 = std::string(prefix, 'a') + "\xF0\x9F\x98\x80" + "b";
    EXPECT_EQ(ToUnits(utf8), std::u16string(prefix, u'a') + pair + u"b") << prefix;
  }
}

// The same at the 16384-byte output buffer, for three- and four-byte forms.
TEST(UnicodeChunks, MultiByteCharacterAtByteBufferEdge) {
  const struct {
    const char* name;
    std::u16string units;
    std::string utf8;
  } characters[] = {
      {"euro", u"\u20AC", "\xE2\x82\xAC"},
      {"smiley", std::u16string{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
  };
  for (const auto& ch : characters) {
    for (std::size_t prefix : {16380u, 16381u, 16382u, 16383u, 16384u}) {
      const std::u16string units = std::u16string(prefix, u'a') + ch.units + ch.units;
      EXPECT_EQ(FromUnits(units), std::string(prefix, 'a') + ch.utf8 + ch.utf8)
          << ch.name << " after " << prefix;
    }
  }
}

TEST(UnicodeChunks, IncompleteTailAfterFullPasses) {
  const std::string utf8 = std::string(kUTF16ChunkUnits, 'a') + "\xE2\x82";
  std::string out;
  EXPECT_THROW(ToUTF16Native(utf8.data(), utf8.size(), out), UnicodeException);
  const std::u16string units = std::u16string(kUTF8ChunkBytes + 3, u'a') + char16_t{0xD800};
  EXPECT_THROW(FromUTF16Native(units.data(), units.size(), out), UnicodeException);
}

TEST(UnicodeChunks, BoundedConvertersReportProgress) {
  const std::string utf8 = "a\xC3\xA9\xF0\x9F\x98\x80";  // 1 + 2 + 4 bytes
  const auto* in = reinterpret_cast<const UInt8*>(utf8.data());
  const struct {
    std::size_t capacity, read, written;
  } toUnits[] = {{0, 0, 0}, {1, 1, 1}, {2, 3, 2}, {3, 3, 2}, {4, 7, 4}, {9, 7, 4}};
  for (const auto& c : toUnits) {
    char16_t out[9] = {};
    const ChunkProgress p = UTF8_to_UTF16Nat_Chunk(in, utf8.size(), out, c.capacity);
    EXPECT_EQ(p.read, c.read) << c.capacity;
    EXPECT_EQ(p.written, c.written) << c.capacity;
  }

  const std::u16string units = u"a\u00E9\U0001F600";
  const struct {
    std::size_t capacity, read, written;
  } toBytes[] = {{0, 0, 0}, {1, 1, 1}, {2, 1, 1}, {3, 2, 3}, {6, 2, 3}, {7, 4, 7}};
  for (const auto& c : toBytes) {
    UInt8 out[9] = {};
    const ChunkProgress p = UTF16Nat_to_UTF8_Chunk(units.data(), units.size(), out, c.capacity);
    EXPECT_EQ(p.read, c.read) << c.capacity;
    EXPECT_EQ(p.written, c.written) << c.capacity;
  }
}

// Every scalar value, encoded by a plain reference encoder, converts to the
// expected units and back.
TEST(UnicodeChunks, EveryScalarValueRoundTrips) {
  std::string utf8;
  std::u16string units;
  for (UInt32 cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp < 0x80) {
      utf8 += static_cast<char>(cp);
    } else if (cp < 0x800) {
      utf8 += {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
    } else if (cp < 0x10000) {
      utf8 += {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
               static_cast<char>(0x80 | (cp & 0x3F))};
    } else {
      utf8 += {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
               static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
    }
    if (cp < 0x10000) {
      units += static_cast<char16_t>(cp);
    } else {
      units += {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
    }
  }
  EXPECT_TRUE(ToUnits(utf8) == units);
  EXPECT_TRUE(FromUnits(units) == utf8);
}

}  // namespace
}  // namespace vexo::Uni
