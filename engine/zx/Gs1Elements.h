#pragma once
// GS1 element strings from the human-readable form "(01)...(10)...".

#include <optional>
#include <string>
#include <string_view>

namespace vexo::engine {

inline constexpr char kGs1Separator = '\x1D';

// The element string: application identifiers and their data without
// parentheses, with kGs1Separator after every variable-length field that is
// not the last. Empty when `text` is not a sequence of "(AI)data" fields.
std::optional<std::string> Gs1ElementString(std::string_view text);

}  // namespace vexo::engine
