#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstring>
#include <string>

#include "Common/UStringImpl.h"
#include "Common/UnicodeUtils.h"
#include "ThrowCapture.h"

namespace vexo {
namespace {

using test::ExpectFailure;
using test::Thrown;

TEST(UString, FromEightBitText) {
  const struct {
    const char* name;
    std::string bytes;
    Int32 bufSz;
    UStringEncoding encoding;
    std::u16string units;
  } cases[] = {
      {"1252 up to zero", std::string("A\x80\x81\0Z", 5), -1, UStringEncoding::Windows1252,
       std::u16string{0x0041, 0x20AC, 0xFFFD}},
      {"1252 zero byte ends the copy", std::string("A\0BC", 4), 4, UStringEncoding::Windows1252,
       std::u16string{0x0041, 0, 0, 0}},
      {"1252 high half", "\x9F\xA0\xFF", 3, UStringEncoding::Windows1252, u"\u0178\u00A0\u00FF"},
      {"1252 size bounds the input", "abcdef", 2, UStringEncoding::Windows1252, u"ab"},
      {"utf8 zero byte goes on", std::string("A\0B", 3), 3, UStringEncoding::UTF8,
       std::u16string{0x0041, 0, 0x0042}},
      {"utf8 up to zero", "\xC3\xA9\xF0\x9F\x98\x80", -1, UStringEncoding::UTF8,
       u"\u00E9\U0001F600"},
      {"1252 size 0", "abc", 0, UStringEncoding::Windows1252, u""},
      {"utf8 size 0", "abc", 0, UStringEncoding::UTF8, u""},
      {"empty text", "", -1, UStringEncoding::UTF8, u""},
  };
  for (const auto& c : cases) {
    const UString text(c.bytes.data(), c.bufSz, c.encoding);
    EXPECT_TRUE(text.Body() == c.units) << c.name;
    EXPECT_EQ(text.Length(), c.units.size()) << c.name;
    EXPECT_EQ(text.Units()[text.Length()], u'\0') << c.name;
  }
}

TEST(UString, Windows1252Table) {
  // The undefined codes, and a sample of the defined ones.
  for (UInt8 undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(Windows1252ToUnit(undefined), 0xFFFD) << int{undefined};
  }
  const std::pair<UInt8, char16_t> defined[] = {
      {0x00, 0x0000}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x82, 0x201A}, {0x8C, 0x0152},
      {0x8E, 0x017D}, {0x91, 0x2018}, {0x96, 0x2013}, {0x99, 0x2122}, {0x9C, 0x0153},
      {0x9E, 0x017E}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
  };
  for (const auto& [byte, unit] : defined) EXPECT_EQ(Windows1252ToUnit(byte), unit) << int{byte};
}

TEST(UString, AssignmentFailures) {
  const char* kFunction = "vexo::IMPL_VEXO_UStringAssignAscii";
  ExpectFailure(Thrown<Common::Exception>([] { UString(nullptr, 3, UStringEncoding::UTF8); }),
                {"buf", kFunction, "", "UStringImpl.cpp"});
  ExpectFailure(Thrown<Uni::UnicodeException>([] { UString("ab\xE2\x82", -1, UStringEncoding::UTF8); }),
                {"writeCount>0", "vexo::Uni::ToUTF16Native", "Incomplete Unicode at end of string",
                 "UnicodeUtils.cpp"});

  // A failed conversion leaves the target empty.
  UString target(u"keep", 4);
  EXPECT_THROW(IMPL_VEXO_UStringAssignAscii(target, "\x80", 1, UStringEncoding::UTF8),
               Uni::UnicodeException);
  EXPECT_EQ(target.Length(), 0u);
}

// 2^31 non-zero bytes and a terminator, on huge pages where the system
// offers them (filling 2 GiB page by page costs seconds).
class HugeText {
 public:
  explicit HugeText(std::size_t length) : size(length + 1) {
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return;
    madvise(block, size, MADV_HUGEPAGE);
    text = static_cast<char*>(block);
    std::memset(text, 'x', length);
  }
  HugeText(const HugeText&) = delete;
  HugeText& operator=(const HugeText&) = delete;
  ~HugeText() {
    if (text != nullptr) munmap(text, size);
  }
  const char* Text() const { return text; }

 private:
  std::size_t size;
  char* text = nullptr;
};

TEST(UString, TextOf2GiBIsRefused) {
  const HugeText huge(std::size_t{1} << 31);
  if (huge.Text() == nullptr) GTEST_SKIP() << "no room for 2 GiB";
  ExpectFailure(Thrown<Common::Exception>([&] { UString(huge.Text(), -1, UStringEncoding::UTF8); }),
                {"buf_sz>-1", "vexo::IMPL_VEXO_UStringAssignAscii", "Buffer size is negative",
                 "UStringImpl.cpp"});
}

TEST(UString, ConvertToUTF8) {
  const struct {
    const char* name;
    std::u16string units;
    std::string utf8;
  } cases[] = {
      {"empty", u"", ""},
      {"inner zeros", std::u16string{0x41, 0, 0, 0}, std::string("A\0\0\0", 4)},
      {"mixed", u"\u00E9\u20AC\U0001F600", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    std::string out = "stale";
    ConvertToUTF8(UString(c.units.data(), c.units.size()), out);
    EXPECT_EQ(out, c.utf8) << c.name;
  }
  std::string out;
  EXPECT_THROW(ConvertToUTF8(UString(u"a\xDC00", 2), out), Uni::UnicodeException);
}

TEST(UString, CopiesAreIndependent) {
  UString original(u"one", 3);
  const UString copy(original);
  original = UString(u"three", 5);
  EXPECT_TRUE(copy.Body() == u"one");
  EXPECT_TRUE(original.Body() == u"three");
  const UString fromBody(original.Body());
  EXPECT_NE(fromBody.Units(), original.Units());
}

}  // namespace
}  // namespace vexo
