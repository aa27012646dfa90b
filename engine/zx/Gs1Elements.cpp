#include "engine/zx/Gs1Elements.h"

#include <array>
#include <cstddef>

namespace vexo::engine {
namespace {

struct PredefinedLength {
  char prefix[3];
  int length;  // identifier and data together
};
// Identifiers, by their first two digits, whose fields have a fixed length and
// so need no separator after them.
constexpr std::array<PredefinedLength, 22> kPredefinedLengths{{
    {"00", 20}, {"01", 16}, {"02", 16}, {"03", 16}, {"04", 18}, {"11", 8},
    {"12", 8},  {"13", 8},  {"14", 8},  {"15", 8},  {"16", 8},  {"17", 8},
    {"18", 8},  {"19", 8},  {"20", 4},  {"31", 10}, {"32", 10}, {"33", 10},
    {"34", 10}, {"35", 10}, {"36", 10}, {"41", 16},
}};

constexpr std::size_t kMinAiDigits = 2;
constexpr std::size_t kMaxAiDigits = 4;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of "(digits)" at `pos`, or 0 when no identifier starts there.
std::size_t IdentifierAt(std::string_view text, std::size_t pos) {
  if (pos >= text.size() || text[pos] != '(') return 0;
  std::size_t end = pos + 1;
  while (end < text.size() && IsDigit(text[end])) ++end;
  const std::size_t digits = end - pos - 1;
  if (end >= text.size() || text[end] != ')' || digits < kMinAiDigits || digits > kMaxAiDigits) {
    return 0;
  }
  return digits + 2;
}

int PredefinedFieldLength(std::string_view ai) {
  for (const PredefinedLength& entry : kPredefinedLengths) {
    if (ai.substr(0, 2) == entry.prefix) return entry.length;
  }
  return 0;
}

}  // namespace

std::optional<std::string> Gs1ElementString(std::string_view text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t idLength = IdentifierAt(text, pos);
    if (idLength == 0) return std::nullopt;
    const std::string_view ai = text.substr(pos + 1, idLength - 2);
    out.append(ai);
    pos += idLength;
    const int fixed = PredefinedFieldLength(ai);
    if (fixed > 0) {
      const std::size_t dataLength = static_cast<std::size_t>(fixed) - ai.size();
      if (text.size() - pos < dataLength) return std::nullopt;
      out.append(text.substr(pos, dataLength));
      pos += dataLength;
      continue;
    }
    std::size_t end = pos;
    while (end < text.size() && IdentifierAt(text, end) == 0) ++end;
    out.append(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size()) out.push_back(kGs1Separator);
  }
  if (out.empty()) return std::nullopt;
  return out;
}

}  // namespace vexo::engine
