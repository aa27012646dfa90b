#pragma once
// Strict conversions between UTF-8 and native-order UTF-16.

#include <cstddef>
#include <string>

#include "Common/Exception.h"  // the failures thrown here
#include "Common/Types.h"

namespace vexo::Uni {

inline constexpr std::size_t kUTF16ChunkUnits = 8192;
inline constexpr std::size_t kUTF8ChunkBytes = 16384;

struct ChunkProgress {
  std::size_t read = 0;
  std::size_t written = 0;
};

struct DecodedCodePoint {
  UInt32 codePoint = 0;
  std::size_t bytesRead = 0;  // 0: the sequence is longer than the bytes available
};

// Whole-string operations; the output is replaced.
// ToUTF16Native writes the code units as bytes in native order (two per unit).
void ToUTF16Native(const char* utf8, std::size_t num_bytes, std::string& out);
void FromUTF16Native(const char16_t* units, std::size_t num_units, std::string& out);

// Bounded converters: convert as much as fits and report how far they got.
ChunkProgress UTF8_to_UTF16Nat_Chunk(const UInt8* in, std::size_t num_bytes, char16_t* out,
                                     std::size_t capacity);
ChunkProgress UTF16Nat_to_UTF8_Chunk(const char16_t* in, std::size_t num_units, UInt8* out,
                                     std::size_t capacity);

// Single code points. CodePoint_to_UTF8_Multi takes U+0080 and above and
// returns the bytes written (0 when they do not fit).
std::size_t CodePoint_to_UTF8_Multi(UInt32 cpIn, UInt8* out, std::size_t capacity);
DecodedCodePoint CodePoint_from_UTF8_Multi(const UInt8* utf8In, std::size_t available);
// Writes the surrogate pair of a code point U+10000 and above; returns units
// written (0 when fewer than two units of room remain).
std::size_t CodePoint_to_UTF16Nat_Surrogate(UInt32 cpIn, char16_t* out, std::size_t capacity);
// Combines a high surrogate with the unit that follows it (only its low ten
// bits count).
UInt32 CodePoint_from_UTF16Nat_Surrogate(char16_t hiUnit, char16_t loUnit);

}  // namespace vexo::Uni
