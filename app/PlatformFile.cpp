#include "app/PlatformFile.h"

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <wchar.h>
#else
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <random>
#endif

namespace vexo {

#ifdef _WIN32

FileHandle OpenFile(const FilePath& path, const char* mode) {
  // UTF-16 units one by one into the native wide string.
  std::wstring widePath(path.Text().begin(), path.Text().end());
  std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return FileHandle(_wfopen(widePath.c_str(), wideMode.c_str()));
}

int SeekFile(std::FILE* file, long long offset, int origin) {
  return _fseeki64(file, offset, origin);
}

long long TellFile(std::FILE* file) { return _ftelli64(file); }

OutputFile::OutputFile(const FilePath& path) : stream_(OpenFile(path, "wb")) {}
OutputFile::~OutputFile() = default;
int OutputFile::Commit() { return std::fclose(stream_.release()) == 0 ? 0 : -1; }
void OutputFile::Discard() noexcept {}
void RemovePendingOutput() noexcept {}

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

// A stream over `fd`, which it then owns; null with errno set (and `fd`
// closed) on failure. Reads and writes wait as usual from here on.
FileHandle AdoptDescriptor(int fd, const char* mode) {
  if (fd < 0) return FileHandle();
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

// The temporary result file while it exists: its folder and name. Written by
// the main thread before the flag is raised; read by the watchdog's thread
// or a signal handler, which may end the process at any moment.
int gPendingFolder = -1;
char gPendingName[NAME_MAX + 1];
std::atomic<bool> gPending{false};

void SetPending(int folder, const std::string& name) {
  gPendingFolder = folder;
  const std::size_t length = std::min(name.size(), sizeof gPendingName - 1);
  std::memcpy(gPendingName, name.data(), length);
  gPendingName[length] = '\0';
  gPending.store(true);
}

// Where the temporary result file goes: beside the regular file the path
// leads to (through a symbolic link too, which stays), or beside the new file
// it names. Nothing for every other case, which is written straight through
// and reports its errors from the open as it always did.
struct Placement {
  std::string folder;
  std::string name;
  bool replaces = false;  // a file is there; `info` describes it
  struct stat info {};
};

constexpr char kDevices[] = "/dev/";
constexpr char kProcesses[] = "/proc/";

std::optional<Placement> PlaceTemporary(const std::string& path) {
  Placement place;
  std::string target = path;
  // The system's device and process folders (/dev/stdout, /proc/self/fd/1)
  // name open files of other programs: those are written as they are.
  if (path.empty() || path.rfind(kDevices, 0) == 0 || path.rfind(kProcesses, 0) == 0) {
    return std::nullopt;
  }
  if (stat(path.c_str(), &place.info) == 0) {
    if (!S_ISREG(place.info.st_mode)) return std::nullopt;
    place.replaces = true;
    struct stat link {};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
      char* resolved = realpath(path.c_str(), nullptr);
      if (resolved == nullptr) return std::nullopt;
      target = resolved;
      std::free(resolved);
    }
  } else {
    struct stat link {};
    // A dangling link is followed by the open, as before.
    if (errno != ENOENT || lstat(path.c_str(), &link) == 0) return std::nullopt;
  }
  const std::size_t slash = target.rfind('/');
  place.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  place.name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (place.name.empty() || place.name == "." || place.name == "..") return std::nullopt;
  return place;
}

// "." + the name (cut to leave room) + "." + six random letters and digits.
std::string TemporaryName(const std::string& name, std::minstd_rand& random) {
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  constexpr std::size_t kNamePart = 200;
  std::string temporary(1, '.');
  temporary.append(name, 0, kNamePart);
  temporary += '.';
  for (int i = 0; i < 6; ++i) temporary += kLetters[random() % (sizeof kLetters - 1)];
  return temporary;
}

// Errors of creating the temporary file that writing in place may not have:
// a folder we may not write to, holding a file we may.
bool FolderRefusesNewFiles(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

}  // namespace

FileHandle OpenFile(const FilePath& path, const char* mode) {
  return AdoptDescriptor(open(path.Native().c_str(), OpenFlags(mode), 0666), mode);
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

OutputFile::OutputFile(const FilePath& path) {
  std::optional<Placement> place = PlaceTemporary(path.Native());
  if (!place) {
    stream_ = OpenFile(path, "wb");
    return;
  }
  // A file we may not write to is refused as the open in place refused it.
  if (place->replaces) {
    const int probe = open(path.Native().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) return;
    close(probe);
  }
  folderFd_ = open(place->folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folderFd_ < 0) return;
  std::minstd_rand random(static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr)));
  const mode_t mode = place->replaces ? 0600 : 0666;  // a new file: 0666 less the umask
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporaryName_ = TemporaryName(place->name, random);
    fd = openat(folderFd_, temporaryName_.c_str(),
                O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    const int error = errno;
    temporaryName_.clear();
    if (FolderRefusesNewFiles(error)) {
      stream_ = OpenFile(path, "wb");
    } else {
      errno = error;
    }
    return;
  }
  SetPending(folderFd_, temporaryName_);
  finalName_ = place->name;
  if (place->replaces) {
    // The replacement keeps the file's permissions and, where we may, owner.
    [[maybe_unused]] const int owned = fchown(fd, place->info.st_uid, place->info.st_gid);
    fchmod(fd, place->info.st_mode & 07777);
  }
  stream_ = AdoptDescriptor(fd, "wb");
  if (!stream_) {
    const int error = errno;
    Discard();
    errno = error;
  }
}

OutputFile::~OutputFile() {
  stream_.reset();
  Discard();
  if (folderFd_ >= 0) close(folderFd_);
}

int OutputFile::Commit() {
  if (temporaryName_.empty()) return std::fclose(stream_.release()) == 0 ? 0 : -1;
  std::FILE* file = stream_.release();
  bool written = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  int error = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && renameat(folderFd_, temporaryName_.c_str(), folderFd_, finalName_.c_str()) == 0) {
    gPending.store(false);
    temporaryName_.clear();
    return 0;
  }
  if (written) error = errno;
  Discard();
  errno = error;
  return -1;
}

void OutputFile::Discard() noexcept {
  if (temporaryName_.empty()) return;
  gPending.store(false);
  unlinkat(folderFd_, temporaryName_.c_str(), 0);
  temporaryName_.clear();
}

void RemovePendingOutput() noexcept {
  if (gPending.exchange(false)) unlinkat(gPendingFolder, gPendingName, 0);
}

#endif

}  // namespace vexo
