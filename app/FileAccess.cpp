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

[[noreturn]] void ThrowFileError(const char* prefix, const std::string& utf8Path, int error) {
  std::string message = prefix;
  message += EscapeControls(utf8Path);
  message += msg::kPathEnd;
  message += std::strerror(error);
  throw std::runtime_error(message);
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

// Both operations convert the path first: a path that does not convert fails
// before any file is touched.
void ReadWholeFile(const WideString& path, std::vector<char>& buffer, long long maxSize) {
  const std::string utf8Path = PathToUTF8(path);
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
    CloseAndThrow(file, msg::kCannotReadInput, utf8Path);
  }
}

void WriteWholeFile(const WideString& path, const std::string& text) {
  const std::string utf8Path = PathToUTF8(path);
  FileHandle file = OpenFile(path, "wb");
  if (!file) ThrowFileError(msg::kCannotOpenOutput, utf8Path, errno);

  if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() ||
      std::fflush(file.get()) != 0) {
    CloseAndThrow(file, msg::kCannotWriteOutput, utf8Path);
  }
  // The data has left our buffer; the close can still report a late failure.
  if (std::fclose(file.release()) != 0) ThrowFileError(msg::kCannotWriteOutput, utf8Path, errno);
}

}  // namespace vexo
