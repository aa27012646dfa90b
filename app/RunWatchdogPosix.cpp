// The watchdog on POSIX systems: alarm() and a SIGALRM handler that writes the
// report with write(2) and leaves with _exit(1), both async-signal-safe.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/RunWatchdog.h"

namespace vexo {
namespace {

char gReport[1024];
std::size_t gReportLength = 0;
struct sigaction gOldAction {};

extern "C" void OnRunTimeLimit(int) {
  const char* data = gReport;
  std::size_t length = gReportLength;
  while (length > 0) {
    const ssize_t written = write(STDOUT_FILENO, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      break;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  _exit(1);
}

}  // namespace

RunWatchdog::RunWatchdog(std::chrono::seconds limit, const std::string& reportLine) {
  gReportLength = std::min(reportLine.size(), sizeof gReport);
  std::memcpy(gReport, reportLine.data(), gReportLength);
  struct sigaction action {};
  action.sa_handler = OnRunTimeLimit;
  sigfillset(&action.sa_mask);
  sigaction(SIGALRM, &action, &gOldAction);
  alarm(static_cast<unsigned>(std::max<std::chrono::seconds::rep>(limit.count(), 1)));
}

RunWatchdog::~RunWatchdog() {
  alarm(0);
  sigaction(SIGALRM, &gOldAction, nullptr);
}

}  // namespace vexo
