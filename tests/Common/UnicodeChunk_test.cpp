#include <gtest/gtest.h>

#include <string>

#include "Common/UnicodeUtils.h"

namespace vexo::Uni {
namespace {

// A character of two units lands on the edge of the 8192-unit buffer: the
// pair moves whole into the next pass.
TEST(UnicodeChunks, SupplementaryCharacterAtUnitBufferEdge) {
  for (std::size_t prefix : {8189u, 8190u, 8191u, 8192u, 8193u}) {
    const std::string utf8 = std::string(prefix, 'a') + "\xF0\x9F\x98\x80" + "b";
    std::string bytes;
    ToUTF16Native(utf8.data(), utf8.size(), bytes);
    const std::u16string units(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
    EXPECT_EQ(units, std::u16string(prefix, u'a') + u"\U0001F600b") << prefix;
  }
}

// The same at the 16384-byte buffer, for three- and four-byte forms.
TEST(UnicodeChunks, MultiByteCharacterAtByteBufferEdge) {
  const std::pair<std::u16string, std::string> characters[] = {
      {u"\u20AC", "\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
  };
  for (const auto& [units, utf8] : characters) {
    for (std::size_t prefix : {16380u, 16381u, 16382u, 16383u, 16384u}) {
      const std::u16string in = std::u16string(prefix, u'a') + units + units;
      std::string out;
      FromUTF16Native(in.data(), in.size(), out);
      EXPECT_EQ(out, std::string(prefix, 'a') + utf8 + utf8) << utf8.size() << " at " << prefix;
    }
  }
}

TEST(UnicodeChunks, IncompleteTailAfterFullPasses) {
  const std::string utf8 = std::string(kUTF16ChunkUnits, 'a') + "\xE2\x82";
  std::string out;
  EXPECT_THROW(ToUTF16Native(utf8.data(), utf8.size(), out), UnicodeException);
  std::u16string units(kUTF8ChunkBytes + 4, u'a');
  units.back() = char16_t{0xD800};
  EXPECT_THROW(FromUTF16Native(units.data(), units.size(), out), UnicodeException);
}

}  // namespace
}  // namespace vexo::Uni
