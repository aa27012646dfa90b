#include "app/MessageText.h"

namespace vexo {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned char kLastControl = 0x1F;
constexpr unsigned char kDelete = 0x7F;

bool IsControl(unsigned char byte) { return byte <= kLastControl || byte == kDelete; }

}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (!IsControl(byte)) {
      shown += c;
      continue;
    }
    shown += "\\x";
    shown += kHexDigits[byte >> 4];
    shown += kHexDigits[byte & 0xF];
  }
  return shown;
}

}  // namespace vexo
