#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <memory>
#include <string>

#include "Common/UStringImpl.h"
#include "ThrowCapture.h"

namespace vexo {
namespace {

using test::ExpectThrows;
using U16 = std::u16string;
constexpr auto kCp1252 = UStringEncoding::Windows1252;
constexpr auto kUtf8 = UStringEncoding::UTF8;
constexpr const char* kAssign = "vexo::IMPL_VEXO_UStringAssignAscii";

TEST(UString, FromEightBitText) {
  const struct {
    const char* name;
    std::string bytes;
    Int32 bufSz;
    UStringEncoding encoding;
    U16 units;
  } cases[] = {
      {"1252 to zero", std::string("A\x80\x81\0Z", 5), -1, kCp1252, U16{0x41, 0x20AC, 0xFFFD}},
      {"1252 zero ends copy", std::string("A\0BC", 4), 4, kCp1252, U16{0x41, 0, 0, 0}},
      {"1252 table", "\x8D\x8F\x90\x9D\x8E\x9F\xA0\xFF", -1, kCp1252,
       u"\uFFFD\uFFFD\uFFFD\uFFFD\u017D\u0178\u00A0\u00FF"},
      {"1252 size bounds", "abcdef", 2, kCp1252, u"ab"},
      {"utf8 zero goes on", std::string("A\0B", 3), 3, kUtf8, U16{0x41, 0, 0x42}},
      {"utf8 to zero", "\xC3\xA9\xF0\x9F\x98\x80", -1, kUtf8, u"\u00E9\U0001F600"},
      {"1252 size 0", "abc", 0, kCp1252, u""},
      {"utf8 size 0", "abc", 0, kUtf8, u""},
      {"empty text", "", -1, kUtf8, u""},
  };
  for (const auto& c : cases) {
    const UString text(c.bytes.data(), c.bufSz, c.encoding);
    EXPECT_EQ(text.Body(), c.units) << c.name;
    EXPECT_EQ(text.Units()[text.Length()], u'\0') << c.name;
  }
}

TEST(UString, AssignmentFailures) {
  ExpectThrows<Common::Exception>([] { UString(nullptr, 3, kUtf8); },
                                  {"buf", kAssign, "", "UStringImpl.cpp"});
  ExpectThrows<Uni::UnicodeException>([] { UString("ab\xE2\x82", -1, kUtf8); },
                                       {"writeCount>0", "vexo::Uni::ToUTF16Native",
                                        "Incomplete Unicode at end of string", "UnicodeUtils.cpp"});
  UString target(u"keep", 4);  // a failed conversion leaves the target empty
  EXPECT_THROW(IMPL_VEXO_UStringAssignAscii(target, "\x80", 1, kUtf8), Uni::UnicodeException);
  EXPECT_EQ(target.Length(), 0u);
}

TEST(UString, TextOf2GiBIsRefused) {
  // Huge pages where offered: filling 2 GiB page by page costs seconds.
  const std::size_t size = (std::size_t{1} << 31) + 1;
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) GTEST_SKIP() << "no room for 2 GiB";
  const std::unique_ptr<void, void (*)(void*)> unmap(block, [](void* p) {
    munmap(p, (std::size_t{1} << 31) + 1);
  });
  madvise(block, size, MADV_HUGEPAGE);
  std::memset(block, 'x', size - 1);
  ExpectThrows<Common::Exception>([&] { UString(static_cast<const char*>(block), -1, kUtf8); },
                                  {"buf_sz>-1", kAssign, "Buffer size is negative",
                                   "UStringImpl.cpp"});
}

TEST(UString, ConvertToUTF8) {
  const std::pair<U16, std::string> cases[] = {
      {u"", ""},
      {U16{0x41, 0, 0, 0}, std::string("A\0\0\0", 4)},
      {u"\u00E9\u20AC\U0001F600", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
  };
  for (const auto& [units, utf8] : cases) {
    std::string out = "stale";
    ConvertToUTF8(UString(units.data(), units.size()), out);
    EXPECT_EQ(out, utf8);
  }
  std::string out;
  EXPECT_THROW(ConvertToUTF8(UString(u"a\xDC00", 2), out), Uni::UnicodeException);
}

TEST(UString, CopiesAreIndependent) {
  UString original(u"one", 3);
  const UString copy(original);
  original = UString(u"three", 5);
  EXPECT_EQ(copy.Body(), u"one");
  EXPECT_EQ(original.Body(), u"three");
  EXPECT_NE(UString(original.Body()).Units(), original.Units());
}

}  // namespace
}  // namespace vexo
