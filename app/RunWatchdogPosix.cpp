// The watchdog on POSIX systems: a thread that waits for the limit, then
// writes the report with write(2), removes a half-written result file and
// ends the process with _exit(1). A thread, not a timer signal: the worker
// may inherit a signal mask or dispositions that would keep a signal away.
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/PlatformFile.h"
#include "app/RunWatchdog.h"

namespace vexo {
namespace {

void WriteReport(const std::string& report) {
  const char* data = report.data();
  std::size_t length = report.size();
  while (length > 0) {
    const ssize_t written = write(STDOUT_FILENO, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      break;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
}

}  // namespace

struct RunWatchdog::Timer {
  std::mutex mutex;
  std::condition_variable disarmed;
  bool armed = true;
  std::thread thread;
};

RunWatchdog::RunWatchdog(std::chrono::seconds limit, const std::string& reportLine)
    : timer_(std::make_unique<Timer>()) {
  Timer& timer = *timer_;
  timer.thread = std::thread([&timer, limit, reportLine] {
    std::unique_lock lock(timer.mutex);
    if (timer.disarmed.wait_for(lock, limit, [&timer] { return !timer.armed; })) return;
    WriteReport(reportLine);
    RemovePendingOutput();
    _exit(1);
  });
}

RunWatchdog::~RunWatchdog() {
  {
    const std::lock_guard lock(timer_->mutex);
    timer_->armed = false;
  }
  timer_->disarmed.notify_one();
  timer_->thread.join();
}

}  // namespace vexo
