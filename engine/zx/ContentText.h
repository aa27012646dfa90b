#pragma once
// The content bytes of a library read: text in UTF-8, anything else as the
// symbol's bytes.

#include <vector>

#include "Common/Types.h"
#include "engine/zx/ReadMapping.h"

namespace vexo::engine {

// The read's characters in UTF-8 when its content is text:
//   - every segment after an ECI is decoded with the character set the ECI
//     names (bytes before the first ECI must be ASCII);
//   - without an ECI, the library's text (its detected character set, or
//     Shift_JIS for Kanji mode) when the library classes the content as text
//     and that text encodes back to exactly the symbol's bytes in UTF-8,
//     ISO-8859-1, Shift_JIS or code page 437;
//   - the text holds no control character other than 8 to 13.
// Otherwise (binary data, GS1 element strings, an ECI that names no character
// set, bytes invalid in the named set) the bytes as the symbol holds them.
std::vector<UInt8> ContentBytes(const LibraryRead& read);

}  // namespace vexo::engine
