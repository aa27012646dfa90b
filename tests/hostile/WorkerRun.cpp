#include "WorkerRun.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace vexo::hostile {
namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
constexpr int kCannotExec = 127;
constexpr int kPollSliceMs = 100;
constexpr useconds_t kReapSliceUs = 10000;

// A pipe whose two ends close with the object.
class Pipe {
 public:
  Pipe() {
    if (pipe2(ends.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  int Read() const { return ends[0]; }
  int Write() const { return ends[1]; }
  void CloseRead() { Close(ends[0]); }
  void CloseWrite() { Close(ends[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  std::array<int, 2> ends{-1, -1};
};

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartWorker(char* const* argv, const Pipe& in, const Pipe& out, const Pipe& err,
                              const RunOptions& options) {
  if (dup2(in.Read(), STDIN_FILENO) < 0 || dup2(out.Write(), STDOUT_FILENO) < 0 ||
      dup2(err.Write(), STDERR_FILENO) < 0) {
    _exit(kCannotExec);
  }
  if (options.unprivileged && geteuid() == 0 &&
      (setgroups(0, nullptr) != 0 || setgid(kNoGroup) != 0 || setuid(kNobody) != 0)) {
    _exit(kCannotRunUnprivileged);
  }
  if (options.addressSpace != 0) {
    const rlimit limit{options.addressSpace, options.addressSpace};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(kCannotExec);
  }
  execv(argv[0], argv);
  // The unprivileged user may not reach the build folder.
  _exit(options.unprivileged ? kCannotRunUnprivileged : kCannotExec);
}

// Moves what is ready on `fd` into `sink`; false once the writer has gone.
bool Drain(int fd, std::string& sink) {
  char chunk[65536];
  const ssize_t count = read(fd, chunk, sizeof chunk);
  if (count < 0) return errno == EINTR || errno == EAGAIN;
  sink.append(chunk, static_cast<std::size_t>(count));
  return count > 0;
}

}  // namespace

const char* WorkerPath() { return VELMORA_BINARY; }

bool RunningAsRoot() { return geteuid() == 0; }

WorkerOutcome RunWorker(const std::vector<std::string>& arguments, const RunOptions& options) {
  std::vector<std::string> strings{WorkerPath()};
  strings.insert(strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : strings) argv.push_back(text.data());
  argv.push_back(nullptr);

  Pipe in, out, err;
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) StartWorker(argv.data(), in, out, err, options);
  in.CloseRead();
  out.CloseWrite();
  err.CloseWrite();

  // The input is small; a worker that never reads it must not block us.
  fcntl(in.Write(), F_SETFL, O_NONBLOCK);
  const ssize_t written = write(in.Write(), options.input.data(), options.input.size());
  (void)written;
  in.CloseWrite();

  WorkerOutcome outcome;
  const auto deadline = std::chrono::steady_clock::now() + options.limit;
  std::array<pollfd, 2> watched{{{out.Read(), POLLIN, 0}, {err.Read(), POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&outcome.out, &outcome.err};
  int open = 2;
  while (open > 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      outcome.hung = true;
      break;
    }
    if (poll(watched.data(), watched.size(), kPollSliceMs) < 0 && errno != EINTR) break;
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (watched[i].fd < 0 || watched[i].revents == 0) continue;
      if (!Drain(watched[i].fd, *sinks[i])) {
        watched[i].fd = -1;
        --open;
      }
    }
  }

  // A worker that closed both streams may still be running.
  int status = 0;
  rusage usage{};
  pid_t reaped = 0;
  while (!outcome.hung) {
    reaped = wait4(child, &status, WNOHANG, &usage);
    if (reaped == child || (reaped < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      outcome.hung = true;
    } else {
      usleep(kReapSliceUs);
    }
  }
  if (reaped != child) {
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
  }
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.peakKiB = usage.ru_maxrss;
  outcome.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return outcome;
}

}  // namespace vexo::hostile
