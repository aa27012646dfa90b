#pragma once
// A hard stop for a run that does not come back: while the watchdog lives, a
// timer runs; when it expires, the prepared report line is written to
// standard output and the process ends at once with exit code 1. It bounds
// steps that no deadline check can interrupt, such as one library call on a
// pathological page or a write to a reader that never reads.

#include <chrono>
#include <memory>
#include <string>

namespace vexo {

class RunWatchdog {
 public:
  // Arms the timer; `reportLine` is printed as it is, so it ends with "\n".
  RunWatchdog(std::chrono::seconds limit, const std::string& reportLine);
  // Disarms it.
  ~RunWatchdog();
  RunWatchdog(const RunWatchdog&) = delete;
  RunWatchdog& operator=(const RunWatchdog&) = delete;

 private:
  struct Timer;
  std::unique_ptr<Timer> timer_;
};

}  // namespace vexo
