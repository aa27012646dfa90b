// The watchdog on Windows: a timer-queue timer whose callback writes the
// report to the standard output handle and terminates the process.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "app/RunWatchdog.h"

namespace vexo {
namespace {

char gReport[1024];
DWORD gReportLength = 0;
HANDLE gTimer = nullptr;

VOID CALLBACK OnRunTimeLimit(PVOID, BOOLEAN) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), gReport, gReportLength, &written, nullptr);
  TerminateProcess(GetCurrentProcess(), 1);
}

}  // namespace

RunWatchdog::RunWatchdog(std::chrono::seconds limit, const std::string& reportLine) {
  gReportLength = static_cast<DWORD>(std::min(reportLine.size(), sizeof gReport));
  std::memcpy(gReport, reportLine.data(), gReportLength);
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(limit);
  CreateTimerQueueTimer(&gTimer, nullptr, OnRunTimeLimit, nullptr,
                        static_cast<DWORD>(milliseconds.count()), 0, WT_EXECUTEONLYONCE);
}

RunWatchdog::~RunWatchdog() {
  if (gTimer != nullptr) DeleteTimerQueueTimer(nullptr, gTimer, INVALID_HANDLE_VALUE);
  gTimer = nullptr;
}

}  // namespace vexo
