// Fuzz target: the Unicode conversions and UString construction. Besides
// "no crash", it checks that well-formed UTF-16 survives a round trip.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Common/Exception.h"
#include "Common/UStringImpl.h"
#include "Common/UnicodeUtils.h"

namespace {

bool IsWellFormedUtf16(const char16_t* units, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= count || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  std::string out;
  try {
    vexo::Uni::ToUTF16Native(bytes, size, out);
  } catch (const vexo::Common::Exception&) {
  }
  try {
    vexo::UString text(bytes, static_cast<vexo::Int32>(size), vexo::UStringEncoding::UTF8);
    vexo::ConvertToUTF8(text, out);
  } catch (const vexo::Common::Exception&) {
  }
  vexo::UString latin(bytes, static_cast<vexo::Int32>(size), vexo::UStringEncoding::Windows1252);
  if (latin.Length() != size) std::abort();

  const std::size_t unitCount = size / 2;
  std::u16string units(unitCount, u'\0');
  if (unitCount != 0) std::memcpy(units.data(), data, unitCount * 2);
  std::string utf8;
  try {
    vexo::Uni::FromUTF16Native(units.data(), units.size(), utf8);
  } catch (const vexo::Common::Exception&) {
    if (IsWellFormedUtf16(units.data(), units.size())) std::abort();
    return 0;
  }
  if (IsWellFormedUtf16(units.data(), units.size())) {
    std::string back;
    vexo::Uni::ToUTF16Native(utf8.data(), utf8.size(), back);
    if (back.size() != unitCount * 2 ||
        (unitCount != 0 && std::memcmp(back.data(), units.data(), back.size()) != 0)) {
      std::abort();
    }
  }
  return 0;
}
