#include "app/PlatformFile.h"

#include <cerrno>
#include <string>

#include "app/FileAccess.h"

#ifdef _WIN32
#include <wchar.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstring>
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

namespace {

// open(2) flags of the two stdio modes in use. O_NONBLOCK keeps the open of
// a FIFO from waiting for a peer: a FIFO to read from opens at once (and then
// has no size), one to write to without a reader fails with ENXIO.
int OpenFlags(const char* mode) {
  const int common = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  return std::strchr(mode, 'w') != nullptr ? (O_WRONLY | O_CREAT | O_TRUNC | common)
                                           : (O_RDONLY | common);
}

}  // namespace

FileHandle OpenFile(const WideString& path, const char* mode) {
  // Linux file names are bytes; ours are UTF-8.
  const int fd = open(PathToUTF8(path).c_str(), OpenFlags(mode), 0666);
  if (fd < 0) return FileHandle();
  // Reads and writes wait as usual once the file is open.
  const int flags = fcntl(fd, F_GETFL);
  struct stat info {};
  int error = 0;
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || fstat(fd, &info) != 0) {
    error = errno;
  } else if (S_ISDIR(info.st_mode)) {
    // Reading a directory would fail later with a misleading size; refuse it
    // at the open, as writing one is refused.
    error = EISDIR;
  }
  FileHandle file(error == 0 ? fdopen(fd, mode) : nullptr);
  if (!file) {
    if (error == 0) error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

// Only a regular file has a size to seek to: a device such as /dev/zero
// reports position 0 for any seek (and a disk any size), a FIFO or socket has
// none. All of them fail here as a pipe does, with ESPIPE.
int SeekFile(std::FILE* file, long long offset, int origin) {
  struct stat info {};
  if (fstat(fileno(file), &info) != 0) return -1;
  if (!S_ISREG(info.st_mode)) {
    errno = ESPIPE;
    return -1;
  }
  return fseeko(file, static_cast<off_t>(offset), origin);
}

long long TellFile(std::FILE* file) { return ftello(file); }

#endif

}  // namespace vexo
