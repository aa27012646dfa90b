#include "Common/UnicodeUtils.h"

#include <cstring>

#include "Common/Exception.h"

namespace vexo::Uni {

namespace {

// Function texts of the throw sites.
constexpr const char* kToUTF16Native = "vexo::Uni::ToUTF16Native";
constexpr const char* kFromUTF16Native = "vexo::Uni::FromUTF16Native";
constexpr const char* kToUTF8Multi = "vexo::Uni::CodePoint_to_UTF8_Multi";
constexpr const char* kFromUTF8Multi = "vexo::Uni::CodePoint_from_UTF8_Multi";
constexpr const char* kToSurrogate = "vexo::Uni::CodePoint_to_UTF16Nat_Surrogate";
constexpr const char* kFromSurrogate = "vexo::Uni::CodePoint_from_UTF16Nat_Surrogate";

// Messages.
constexpr const char* kIncomplete = "Incomplete Unicode at end of string";
constexpr const char* kUTF32OutOfRange = "UTF32 codepoint is out of range";
constexpr const char* kBadUTF32 = "Bad UTF32 codepoint";
constexpr const char* kBadSequenceLength = "Invalid UTF8 sequence length";
constexpr const char* kBadUTF8Data = "Invalid UTF8 data";
constexpr const char* kBadUTF8CodePoint = "Bad UTF8 code point";
constexpr const char* kUTF8OutOfRange = "UTF8 codepoint is out of range";
constexpr const char* kLeadingLowSurrogate = "Bad UTF16 - leading low surrogate";

// The smallest value each sequence length may carry, by length in bytes.
constexpr UInt32 kShortestFormMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};

bool IsSurrogate(UInt32 unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Number of leading one bits of a byte.
std::size_t LeadingOnes(UInt8 byte) {
  std::size_t count = 0;
  for (UInt32 mask = 0x80; mask != 0 && (byte & mask) != 0; mask >>= 1) ++count;
  return count;
}

}  // namespace

// Defined here so that every Unicode failure names this source file.
UnicodeException::UnicodeException(const char* condition_text, Int32 line,
                                   const char* function_text, const char* message_text)
    : Common::Exception(condition_text, line, __FILE__, function_text, message_text, 0) {}

const char* UnicodeException::GetTypeName() const noexcept { return "UnicodeException"; }

std::size_t CodePoint_to_UTF8_Multi(UInt32 cpIn, UInt8* out, std::size_t capacity) {
  VEXO_UNICODE_CHECK(cpIn <= 0x10FFFF, kToUTF8Multi, kUTF32OutOfRange);
  VEXO_UNICODE_CHECK(!((0xD800 <= cpIn) && (cpIn <= 0xDFFF)), kToUTF8Multi, kBadUTF32);
  const std::size_t length = cpIn < 0x800 ? 2 : cpIn < 0x10000 ? 3 : 4;
  if (length > capacity) return 0;
  static constexpr UInt8 kLeadMarks[5] = {0, 0, 0xC0, 0xE0, 0xF0};
  UInt32 rest = cpIn;
  for (std::size_t i = length - 1; i > 0; --i) {
    out[i] = static_cast<UInt8>(0x80 | (rest & 0x3F));
    rest >>= 6;
  }
  out[0] = static_cast<UInt8>(kLeadMarks[length] | rest);
  return length;
}

DecodedCodePoint CodePoint_from_UTF8_Multi(const UInt8* utf8In, std::size_t available) {
  const std::size_t bytesNeeded = LeadingOnes(utf8In[0]);
  VEXO_UNICODE_CHECK(!((bytesNeeded < 2) || (bytesNeeded > 4)), kFromUTF8Multi,
                     kBadSequenceLength);
  DecodedCodePoint result;
  if (bytesNeeded > available) return result;  // incomplete: nothing read

  UInt32 inUnit = utf8In[0] & (0x7Fu >> bytesNeeded);
  for (std::size_t i = 1; i < bytesNeeded; ++i) {
    VEXO_UNICODE_CHECK((utf8In[i] & UINT32_C(0xC0)) == UINT32_C(0x80), kFromUTF8Multi,
                       kBadUTF8Data);
    inUnit = (inUnit << 6) | (utf8In[i] & 0x3Fu);
  }
  // A surrogate is refused whatever the length that carries it, so that an
  // over-long four-byte form cannot smuggle one past this check.
  VEXO_UNICODE_CHECK(!((0xD800 <= inUnit) && (inUnit <= 0xDFFF)), kFromUTF8Multi,
                     kBadUTF8CodePoint);
  if (bytesNeeded == 4) {
    VEXO_UNICODE_CHECK(inUnit <= 0x10FFFF, kFromUTF8Multi, kUTF8OutOfRange);
  }
  // Strict: a value must use its shortest form. Over-long forms (C0 80 for a
  // zero, C0 AF for "/") are the classic way past a check of the text.
  VEXO_UNICODE_CHECK(inUnit >= kShortestFormMinimum[bytesNeeded], kFromUTF8Multi, kBadUTF8Data);
  result.codePoint = inUnit;
  result.bytesRead = bytesNeeded;
  return result;
}

std::size_t CodePoint_to_UTF16Nat_Surrogate(UInt32 cpIn, char16_t* out, std::size_t capacity) {
  VEXO_UNICODE_CHECK(cpIn <= 0x10FFFF, kToSurrogate, kUTF32OutOfRange);
  if (capacity < 2) return 0;
  out[0] = static_cast<char16_t>(0xD800 | ((cpIn - 0x10000) >> 10));
  out[1] = static_cast<char16_t>(0xDC00 | (cpIn & 0x3FF));
  return 2;
}

UInt32 CodePoint_from_UTF16Nat_Surrogate(char16_t hiUnit, char16_t loUnit) {
  VEXO_UNICODE_CHECK(hiUnit <= 0xDBFF, kFromSurrogate, kLeadingLowSurrogate);
  // The unit after a high surrogate counts by its low ten bits, whatever it is.
  return 0x10000 + (((hiUnit & 0x3FFu) << 10) | (loUnit & 0x3FFu));
}

ChunkProgress UTF8_to_UTF16Nat_Chunk(const UInt8* in, std::size_t num_bytes, char16_t* out,
                                     std::size_t capacity) {
  std::size_t read = 0;
  std::size_t written = 0;
  while (read < num_bytes && written < capacity) {
    // ASCII run: one unit per byte.
    while (read < num_bytes && written < capacity && in[read] < 0x80) out[written++] = in[read++];
    // Non-ASCII run: one sequence at a time.
    while (read < num_bytes && written < capacity && in[read] >= 0x80) {
      const DecodedCodePoint decoded = CodePoint_from_UTF8_Multi(in + read, num_bytes - read);
      if (decoded.bytesRead == 0) return {read, written};  // incomplete at the end
      if (decoded.codePoint < 0x10000) {
        out[written++] = static_cast<char16_t>(decoded.codePoint);
      } else {
        const std::size_t units =
            CodePoint_to_UTF16Nat_Surrogate(decoded.codePoint, out + written, capacity - written);
        if (units == 0) return {read, written};  // the pair goes into the next chunk
        written += units;
      }
      read += decoded.bytesRead;
    }
  }
  return {read, written};
}

ChunkProgress UTF16Nat_to_UTF8_Chunk(const char16_t* in, std::size_t num_units, UInt8* out,
                                     std::size_t capacity) {
  std::size_t read = 0;
  std::size_t written = 0;
  while (read < num_units && written < capacity) {
    // ASCII run: one byte per unit.
    while (read < num_units && written < capacity && in[read] < 0x80) {
      out[written++] = static_cast<UInt8>(in[read++]);
    }
    // BMP run: two or three bytes per unit.
    while (read < num_units && written < capacity && in[read] >= 0x80 &&
           !IsSurrogate(in[read])) {
      const std::size_t bytes =
          CodePoint_to_UTF8_Multi(in[read], out + written, capacity - written);
      if (bytes == 0) return {read, written};
      written += bytes;
      ++read;
    }
    // Surrogate run: a high surrogate and the unit after it make one code point.
    while (read < num_units && written < capacity && IsSurrogate(in[read])) {
      const bool pairFits = num_units - read >= 2;
      // Throws for a low surrogate here, even as the last unit.
      const UInt32 codePoint =
          CodePoint_from_UTF16Nat_Surrogate(in[read], pairFits ? in[read + 1] : 0);
      if (!pairFits) return {read, written};  // lone high surrogate at the end
      const std::size_t bytes =
          CodePoint_to_UTF8_Multi(codePoint, out + written, capacity - written);
      if (bytes == 0) return {read, written};
      written += bytes;
      read += 2;
    }
  }
  return {read, written};
}

void ToUTF16Native(const char* utf8, std::size_t num_bytes, std::string& out) {
  out.clear();
  out.reserve(num_bytes * 2);
  const auto* in = reinterpret_cast<const UInt8*>(utf8);
  char16_t chunk[kUTF16ChunkUnits];
  while (num_bytes > 0) {
    const ChunkProgress progress = UTF8_to_UTF16Nat_Chunk(in, num_bytes, chunk, kUTF16ChunkUnits);
    const std::size_t writeCount = progress.written;
    VEXO_UNICODE_CHECK(writeCount>0, kToUTF16Native, kIncomplete);
    out.append(reinterpret_cast<const char*>(chunk), writeCount * sizeof(char16_t));
    in += progress.read;
    num_bytes -= progress.read;
  }
}

void FromUTF16Native(const char16_t* units, std::size_t num_units, std::string& out) {
  out.clear();
  out.reserve(num_units * 2);
  UInt8 chunk[kUTF8ChunkBytes];
  while (num_units > 0) {
    const ChunkProgress progress = UTF16Nat_to_UTF8_Chunk(units, num_units, chunk, kUTF8ChunkBytes);
    const std::size_t writeCount = progress.written;
    VEXO_UNICODE_CHECK(writeCount>0, kFromUTF16Native, kIncomplete);
    out.append(reinterpret_cast<const char*>(chunk), writeCount);
    units += progress.read;
    num_units -= progress.read;
  }
}

}  // namespace vexo::Uni
