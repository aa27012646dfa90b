#include "app/PlatformFile.h"

#include <cerrno>
#include <string>

#include "app/FileAccess.h"

#ifdef _WIN32
#include <wchar.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace vexo {

#ifdef _WIN32

FileHandle OpenFile(const WideString& path, const char* mode) {
  // UTF-16 units one by one into the native wide string.
  std::wstring widePath(path.begin(), path.end());
  std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return FileHandle(_wfopen(widePath.c_str(), wideMode.c_str()));
}

int SeekFile(std::FILE* file, long long offset, int origin) {
  return _fseeki64(file, offset, origin);
}

long long TellFile(std::FILE* file) { return _ftelli64(file); }

#else

FileHandle OpenFile(const WideString& path, const char* mode) {
  // Linux file names are bytes; ours are UTF-8.
  FileHandle file(std::fopen(PathToUTF8(path).c_str(), mode));
  if (!file) return file;
  // fopen(dir, "rb") succeeds here; the later read would fail with a
  // misleading size. Refuse it as an open failure instead.
  struct stat info {};
  if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
    file.reset();
    errno = EISDIR;
  }
  return file;
}

int SeekFile(std::FILE* file, long long offset, int origin) {
  return fseeko(file, static_cast<off_t>(offset), origin);
}

long long TellFile(std::FILE* file) { return ftello(file); }

#endif

}  // namespace vexo
