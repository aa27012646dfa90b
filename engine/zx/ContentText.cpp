#include "engine/zx/ContentText.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "engine/zx/Charsets.h"

namespace vexo::engine {
namespace {

constexpr Int32 kNoEci = -1;
constexpr char kEciEscape = '\\';
constexpr std::size_t kEciDigits = 6;
// Character sets whose decoding of content without an ECI we accept from the
// library: the defaults of the symbologies and what its detection chooses.
constexpr std::array<const char*, 5> kDetectedCharsets{"UTF-8", "ISO-8859-1", "CP932", "SHIFT_JIS",
                                                       "CP437"};

struct Segment {
  Int32 eci = kNoEci;
  std::string bytes;
};

std::string_view AsText(const std::vector<UInt8>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return UInt8(c) < 0x80; });
}

// Splits content in the ECI protocol form: "\NNNNNN" starts a segment in ECI
// NNNNNN, "\\" is one backslash. None for any other backslash.
std::optional<std::vector<Segment>> SplitSegments(std::string_view eciBytes) {
  std::vector<Segment> segments(1);
  for (std::size_t pos = 0; pos < eciBytes.size();) {
    const char c = eciBytes[pos];
    if (c != kEciEscape) {
      segments.back().bytes.push_back(c);
      ++pos;
    } else if (pos + 1 < eciBytes.size() && eciBytes[pos + 1] == kEciEscape) {
      segments.back().bytes.push_back(kEciEscape);
      pos += 2;
    } else {
      const std::string_view digits = eciBytes.substr(pos + 1, kEciDigits);
      if (digits.size() != kEciDigits ||
          !std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '9'; })) {
        return std::nullopt;
      }
      Int32 eci = 0;
      for (const char d : digits) eci = eci * 10 + (d - '0');
      segments.push_back({eci, {}});
      pos += 1 + kEciDigits;
    }
  }
  return segments;
}

std::optional<std::string> DecodeSegment(const Segment& segment) {
  if (segment.eci == kNoEci) {
    if (IsAscii(segment.bytes)) return segment.bytes;
    return std::nullopt;  // its character set would be a guess
  }
  for (const char* charset : CharsetsOfEci(segment.eci)) {
    if (std::optional<std::string> text = DecodeToUtf8(segment.bytes, charset)) return text;
  }
  return std::nullopt;
}

std::optional<std::string> EciText(const LibraryRead& read) {
  // The form starts with the symbology identifier.
  if (read.eciBytes.size() < read.symbologyId.size()) return std::nullopt;
  const std::string_view eciBytes = std::string_view(read.eciBytes).substr(read.symbologyId.size());
  const std::optional<std::vector<Segment>> segments = SplitSegments(eciBytes);
  if (!segments) return std::nullopt;
  std::string text, bytes;
  for (const Segment& segment : *segments) {
    const std::optional<std::string> piece = DecodeSegment(segment);
    if (!piece) return std::nullopt;
    text += *piece;
    bytes += segment.bytes;
  }
  // The split must give back exactly the symbol's bytes.
  if (bytes != AsText(read.bytes)) return std::nullopt;
  return text;
}

// The library's text when it is an exact decoding of the bytes.
std::optional<std::string> DetectedText(const LibraryRead& read) {
  if (read.kind != ContentKind::Text) return std::nullopt;
  for (const char* charset : kDetectedCharsets) {
    if (EncodeFromUtf8(read.text, charset) == AsText(read.bytes)) return read.text;
  }
  return std::nullopt;
}

// C0 controls other than backspace to carriage return, DEL and the C1
// controls mark binary data read as text.
bool IsPlainText(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const UInt8 c = UInt8(utf8[i]);
    if ((c < 0x20 && (c < 0x08 || c > 0x0D)) || c == 0x7F) return false;
    if (c == 0xC2 && i + 1 < utf8.size() && UInt8(utf8[i + 1]) < 0xA0) return false;
  }
  return true;
}

}  // namespace

std::vector<UInt8> ContentBytes(const LibraryRead& read) {
  if (read.kind == ContentKind::Gs1) return read.bytes;
  std::optional<std::string> text;
  if (read.hasEci) {
    text = EciText(read);
  } else if (!IsAscii(AsText(read.bytes))) {
    text = DetectedText(read);
  }
  if (!text || !IsPlainText(*text)) return read.bytes;
  return {text->begin(), text->end()};
}

}  // namespace vexo::engine
