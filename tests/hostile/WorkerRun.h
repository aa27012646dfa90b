#pragma once
// Runs the real worker binary in a child process and collects everything it
// does: standard output and standard error apart, the exit code or signal,
// whether it had to be killed for taking too long, and its peak memory.

#include <chrono>
#include <string>
#include <vector>

namespace vexo::hostile {

struct RunOptions {
  // Written to the worker's standard input, which is then closed; at most
  // what a pipe holds (64 KiB).
  std::string input;
  // Run as the unprivileged user "nobody" when the tests run as root, so
  // that file permissions apply.
  bool unprivileged = false;
  // A run still going after this long counts as a hang and is killed. This
  // catches endless waits; it is no speed target.
  std::chrono::seconds limit{120};
  // The worker's address space, in bytes (ulimit -v); 0 leaves it alone.
  unsigned long long addressSpace = 0;
};

struct WorkerOutcome {
  std::string out;
  std::string err;
  int exitCode = -1;   // -1 when the worker did not exit normally
  int signal = 0;      // the signal that ended it, if one did
  bool hung = false;   // killed at the run's time limit
  long peakKiB = 0;    // largest resident set, from the kernel's accounting
  double seconds = 0;  // wall time from the start to the end of the worker
};

// The worker built beside these tests.
const char* WorkerPath();

WorkerOutcome RunWorker(const std::vector<std::string>& arguments, const RunOptions& options = {});

// Exit code of a child that could not switch to the unprivileged user, or
// could not start the worker as that user.
inline constexpr int kCannotRunUnprivileged = 125;

bool RunningAsRoot();

}  // namespace vexo::hostile
