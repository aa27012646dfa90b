#pragma once
// A file's name in the forms the file layer needs: the UTF-16 text, its UTF-8
// for messages, and the bytes the system opens.

#include <string>

#include "Common/UStringImpl.h"

namespace vexo {

class FilePath {
 public:
  // A path held as UTF-16 (the request's members): it is opened as its UTF-8.
  // A path that is no valid UTF-16 throws the conversion's exception.
  FilePath(const WideString& path);  // implicit: every UTF-16 path is one
  // The command-line argument: shown as UTF-8 when its bytes are valid UTF-8,
  // else by the Windows-1252 table, but opened as its own bytes, so that a
  // name that is no UTF-8 never opens its UTF-8 namesake.
  static FilePath FromArgument(const char* argument);

  const WideString& Text() const { return text_; }
  // The UTF-8 text, as messages show it.
  const std::string& Shown() const { return shown_; }
  // The bytes Linux opens.
  const std::string& Native() const { return native_; }

 private:
  FilePath(WideString text, std::string native);
  WideString text_;
  std::string shown_;
  std::string native_;
};

// The text of the command-line argument: its bytes as UTF-8 when they are
// valid UTF-8 (what a Linux shell passes), else by the Windows-1252 table,
// one unit per byte up to the terminating zero.
WideString ArgumentToPath(const char* argument);

}  // namespace vexo
