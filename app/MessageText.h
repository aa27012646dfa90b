#pragma once
// Outside text (paths, arguments) placed into a one-line report.

#include <string>
#include <string_view>

namespace vexo {

// `text` with each control character (bytes 0x00 to 0x1F and 0x7F) written
// as \xNN with two upper-case hex digits, so that a line feed or an escape
// sequence in a file name cannot split the report or drive the terminal.
// Every other byte, backslashes and non-ASCII UTF-8 included, is kept.
std::string EscapeControls(std::string_view text);

}  // namespace vexo
