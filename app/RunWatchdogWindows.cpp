// The watchdog on Windows: a timer-queue timer whose callback writes the
// report to the standard output handle and terminates the process.
#include <windows.h>

#include "app/RunWatchdog.h"

namespace vexo {

struct RunWatchdog::Timer {
  std::string report;
  HANDLE handle = nullptr;
};

namespace {

VOID CALLBACK OnRunTimeLimit(PVOID context, BOOLEAN) {
  const auto* report = static_cast<const std::string*>(context);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report->data(), static_cast<DWORD>(report->size()),
            &written, nullptr);
  TerminateProcess(GetCurrentProcess(), 1);
}

}  // namespace

RunWatchdog::RunWatchdog(std::chrono::seconds limit, const std::string& reportLine)
    : timer_(std::make_unique<Timer>()) {
  timer_->report = reportLine;
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(limit);
  CreateTimerQueueTimer(&timer_->handle, nullptr, OnRunTimeLimit, &timer_->report,
                        static_cast<DWORD>(milliseconds.count()), 0, WT_EXECUTEONLYONCE);
}

RunWatchdog::~RunWatchdog() {
  if (timer_->handle != nullptr)
    DeleteTimerQueueTimer(nullptr, timer_->handle, INVALID_HANDLE_VALUE);
}

}  // namespace vexo
