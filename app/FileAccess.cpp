#include "app/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PlatformFile.h"

namespace vexo {
namespace {

[[noreturn]] void ThrowFileError(const char* prefix, const std::string& utf8Path,
                                 const char* errorText) {
  std::string message = prefix;
  message += EscapeControls(utf8Path);
  message += msg::kPathEnd;
  message += errorText;
  throw std::runtime_error(message);
}

[[noreturn]] void ThrowFileError(const char* prefix, const std::string& utf8Path, int error) {
  ThrowFileError(prefix, utf8Path, std::strerror(error));
}

// Closes the stream, then throws with the error of the step that failed (a
// close that fails too must not replace it).
[[noreturn]] void CloseAndThrow(FileHandle& file, const char* prefix, const std::string& utf8Path) {
  const int error = errno;
  file.reset();
  ThrowFileError(prefix, utf8Path, error);
}

}  // namespace

std::string PathToUTF8(const WideString& path) {
  std::string utf8;
  ConvertToUTF8(UString(path.data(), path.size()), utf8);
  return utf8;
}

// Both operations take the path's UTF-8 first (FilePath converts it): a path
// that does not convert fails before any file is touched.
void ReadWholeFile(const FilePath& path, std::vector<char>& buffer, long long maxSize) {
  const std::string& utf8Path = path.Shown();
  FileHandle file = OpenFile(path, "rb");
  if (!file) ThrowFileError(msg::kCannotOpenInput, utf8Path, errno);

  if (SeekFile(file.get(), 0, SEEK_END) != 0) CloseAndThrow(file, msg::kCannotReadInput, utf8Path);
  const long long size = TellFile(file.get());
  if (size < 0) CloseAndThrow(file, msg::kCannotReadInput, utf8Path);
  if (size > std::min(maxSize, kMaxReadableFileSize)) {
    errno = EFBIG;
    CloseAndThrow(file, msg::kCannotReadInput, utf8Path);
  }
  if (SeekFile(file.get(), 0, SEEK_SET) != 0) CloseAndThrow(file, msg::kCannotReadInput, utf8Path);

  const auto byteCount = static_cast<std::size_t>(size);
  buffer.resize(byteCount);
  if (byteCount != 0 && std::fread(buffer.data(), 1, byteCount, file.get()) != byteCount) {
    // A read error leaves its errno; an early end of the file has none.
    if (std::ferror(file.get()) != 0) CloseAndThrow(file, msg::kCannotReadInput, utf8Path);
    file.reset();
    ThrowFileError(msg::kCannotReadInput, utf8Path, msg::kShortRead);
  }
}

void WriteWholeFile(const FilePath& path, const std::string& text) {
  const std::string& utf8Path = path.Shown();
  OutputFile file(path);
  if (file.Stream() == nullptr) ThrowFileError(msg::kCannotOpenOutput, utf8Path, errno);
  // A failure below removes the temporary file as `file` goes.
  if (std::fwrite(text.data(), 1, text.size(), file.Stream()) != text.size() ||
      std::fflush(file.Stream()) != 0 || file.Commit() != 0) {
    ThrowFileError(msg::kCannotWriteOutput, utf8Path, errno);
  }
}

}  // namespace vexo
