#include "engine/image/QuietOutput.h"

#include <fcntl.h>
#include <leptonica/allheaders.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

// Sanitizer reports also go to descriptor 2; while it is muted they are sent
// to the saved descriptor instead, so a fault inside a decoder stays visible.
#if defined(VELMORA_SANITIZED) || defined(__SANITIZE_ADDRESS__)
#define VELMORA_SANITIZER_REPORTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define VELMORA_SANITIZER_REPORTS 1
#endif
#endif

#ifdef VELMORA_SANITIZER_REPORTS
#include <sanitizer/common_interface_defs.h>
#endif

namespace vexo::engine {
namespace {

constexpr int kStderrFd = 2;
constexpr const char* kNullDevice = "/dev/null";

void DiscardLeptonicaText(const char*) {}

void SetSanitizerReportFd([[maybe_unused]] int fd) {
#ifdef VELMORA_SANITIZER_REPORTS
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)));
#endif
}

}  // namespace

void SilenceLeptonica() {
  static const bool silenced = [] {
    setMsgSeverity(L_SEVERITY_NONE);
    // Some readers print through this hook regardless of the severity.
    leptSetStderrHandler(DiscardLeptonicaText);
    return true;
  }();
  (void)silenced;
}

StderrMute::StderrMute() {
  std::fflush(stderr);
  const int saved = fcntl(kStderrFd, F_DUPFD_CLOEXEC, kStderrFd + 1);
  if (saved < 0) return;
  const int nullFd = open(kNullDevice, O_WRONLY | O_CLOEXEC);
  if (nullFd < 0) {
    close(saved);
    return;
  }
  const bool redirected = dup2(nullFd, kStderrFd) >= 0;
  close(nullFd);
  if (!redirected) {
    close(saved);
    return;
  }
  savedFd_ = saved;
  SetSanitizerReportFd(savedFd_);
}

StderrMute::~StderrMute() {
  if (savedFd_ < 0) return;
  std::fflush(stderr);
  dup2(savedFd_, kStderrFd);
  close(savedFd_);
  SetSanitizerReportFd(kStderrFd);
}

}  // namespace vexo::engine
