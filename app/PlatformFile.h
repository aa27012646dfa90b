#pragma once
// The one place that opens files by the platform's means.

#include <cstdio>
#include <memory>

#include "Common/UStringImpl.h"

namespace vexo {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file at `path` (taken unchanged) with a binary stdio mode ("rb",
// "wb"). Returns null with errno set on failure; a directory is refused with
// EISDIR, so that reading one fails at the open as it does for writing.
FileHandle OpenFile(const WideString& path, const char* mode);

// fseek and ftell with 64-bit offsets.
int SeekFile(std::FILE* file, long long offset, int origin);
long long TellFile(std::FILE* file);

}  // namespace vexo
