#include "app/FilePath.h"

#include <utility>

#include "Common/UnicodeUtils.h"
#include "app/FileAccess.h"

namespace vexo {

WideString ArgumentToPath(const char* argument) {
  // The strict UTF-8 decoding decides: no over-long forms, no surrogates.
  try {
    const UString text(argument, -1, UStringEncoding::UTF8);
    return text.Body();
  } catch (const Uni::UnicodeException&) {
    const UString text(argument, -1, UStringEncoding::Windows1252);
    return text.Body();
  }
}

FilePath::FilePath(const WideString& path) : text_(path), shown_(PathToUTF8(path)) {
  native_ = shown_;
}

FilePath::FilePath(WideString text, std::string native)
    : text_(std::move(text)), shown_(PathToUTF8(text_)), native_(std::move(native)) {}

FilePath FilePath::FromArgument(const char* argument) {
  return FilePath(ArgumentToPath(argument), argument);
}

}  // namespace vexo
