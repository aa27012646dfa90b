#include "Common/UStringImpl.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "Common/Exception.h"
#include "Common/UnicodeUtils.h"

namespace vexo {

namespace {

constexpr const char* kAssignFunction = "vexo::IMPL_VEXO_UStringAssignAscii";
constexpr const char* kNegativeSize = "Buffer size is negative";

// Windows-1252 bytes 0x80..0x9F; the five undefined codes map to U+FFFD.
// Every other byte is the code point of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,  // 88..8F
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,  // 98..9F
};

void AssignWindows1252(UStringBody& body, const char* buf, Int32 buf_sz) {
  body.assign(static_cast<std::size_t>(buf_sz), u'\0');
  for (Int32 i = 0; i < buf_sz; ++i) {
    const char16_t unit = Windows1252ToUnit(static_cast<UInt8>(buf[i]));
    if (unit == 0) break;  // the rest stays zero
    body[static_cast<std::size_t>(i)] = unit;
  }
}

void AssignUTF8(UStringBody& body, const char* buf, Int32 buf_sz) {
  // Convert into a temporary first: on a Unicode failure the body stays empty.
  std::string units;
  Uni::ToUTF16Native(buf, static_cast<std::size_t>(buf_sz), units);
  body.resize(units.size() / sizeof(char16_t));
  std::memcpy(body.data(), units.data(), body.size() * sizeof(char16_t));
}

}  // namespace

char16_t Windows1252ToUnit(UInt8 byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kWindows1252High[byte - 0x80];
  return static_cast<char16_t>(byte);
}

UString::UString() : body(new UStringBody()), flags(kOwnsBody) {}

UString::UString(UStringBody* borrowed) : body(borrowed), flags(0) {}

UString::UString(const char* buf, Int32 buf_sz, UStringEncoding encoding)
    : body(nullptr), flags(kOwnsBody) {
  auto fresh = std::make_unique<UStringBody>();
  UString view(fresh.get());
  IMPL_VEXO_UStringAssignAscii(view, buf, buf_sz, encoding);
  body = fresh.release();
}

UString::UString(const UStringBody& source) : body(new UStringBody(source)), flags(kOwnsBody) {}

UString::UString(const char16_t* units, std::size_t num_units)
    : body(new UStringBody(units, num_units)), flags(kOwnsBody) {}

UString::UString(const UString& other) : body(new UStringBody(*other.body)), flags(kOwnsBody) {}

UString& UString::operator=(const UString& other) {
  if (this != &other) *body = *other.body;
  return *this;
}

UString::~UString() {
  if ((flags & kOwnsBody) != 0) delete body;
}

void IMPL_VEXO_UStringAssignAscii(UString& target, const char* buf, Int32 buf_sz,
                                  UStringEncoding encoding) {
  UStringBody& body = *target.body;
  body.clear();
  VEXO_CHECK(buf, kAssignFunction, "");
  if (buf_sz < 0) {
    // A text of 2^31 bytes or more keeps a negative size and is refused below.
    const std::size_t length = std::strlen(buf);
    buf_sz = length > static_cast<std::size_t>(INT32_MAX) ? -1 : static_cast<Int32>(length);
  }
  if (buf_sz == 0) return;
  VEXO_CHECK(buf_sz>-1, kAssignFunction, kNegativeSize);

  switch (encoding) {
    case UStringEncoding::Windows1252: AssignWindows1252(body, buf, buf_sz); break;
    case UStringEncoding::UTF8: AssignUTF8(body, buf, buf_sz); break;
  }
}

void ConvertToUTF8(const UString& text, std::string& out) {
  out.clear();
  out.reserve(text.Length());
  Uni::FromUTF16Native(text.Units(), text.Length(), out);
}

}  // namespace vexo
