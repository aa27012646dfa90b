#pragma once
// Character sets that an ECI can name, and exact conversions between them and
// UTF-8 through the C library's iconv.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Common/Types.h"

namespace vexo::engine {

// The iconv names under which the bytes of an ECI's segment may be decoded,
// most likely first (variants that differ in a few mappings, such as the
// Shift_JIS ones); empty for an ECI that names no character set (binary data,
// or one we do not know).
std::vector<const char*> CharsetsOfEci(Int32 eci);

// The bytes decoded as `charset` into UTF-8; none when a byte sequence is
// invalid or incomplete in that character set.
std::optional<std::string> DecodeToUtf8(std::string_view bytes, const char* charset);

// The UTF-8 text encoded as `charset`; none when a character has no exact
// encoding there.
std::optional<std::string> EncodeFromUtf8(std::string_view utf8, const char* charset);

}  // namespace vexo::engine
