#pragma once
// The one place that opens files by the platform's means.

#include <cstdio>
#include <memory>
#include <string>

#include "app/FilePath.h"

namespace vexo {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file at `path` with a binary stdio mode ("rb", "wb"). Returns
// null with errno set on failure; a directory is refused with EISDIR, so that
// reading one fails at the open as it does for writing.
FileHandle OpenFile(const FilePath& path, const char* mode);

// fseek and ftell with 64-bit offsets.
int SeekFile(std::FILE* file, long long offset, int origin);
long long TellFile(std::FILE* file);

// A result file being written. A regular file, or a path where nothing is
// yet, is written to a temporary file in the same folder that Commit renames
// over the path: a reader sees the old file or the whole new one, and a
// failed run leaves no part of one. Anything else (a FIFO, a character device
// such as /dev/stdout) is written straight through.
class OutputFile {
 public:
  // Opens the stream; Stream() is null, with errno set, when that failed.
  explicit OutputFile(const FilePath& path);
  // Removes the temporary file unless Commit succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  std::FILE* Stream() const { return stream_.get(); }
  // Flushes the data to the disk, closes the stream and puts the file in
  // place. 0, or -1 with errno set (the temporary is then removed).
  int Commit();

 private:
  void Discard() noexcept;
  FileHandle stream_;
  int folderFd_ = -1;
  std::string temporaryName_;  // empty when writing straight through
  std::string finalName_;
};

// Removes the temporary result file, if one exists. Async-signal-safe: the
// watchdog's stop and the fault guard call it before the process ends.
void RemovePendingOutput() noexcept;

}  // namespace vexo
