// The fault guard on POSIX systems: handlers for the fault signals report the
// fault as one line on standard output and end the process with exit code 1.
// The handler runs on an alternate stack, so a stack overflow is reported too.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "app/FaultGuard.h"
#include "app/Messages.h"
#include "app/PlatformFile.h"
#include "app/RunDriver.h"

namespace vexo {
namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS};
constexpr std::size_t kAltStackSize = 64 * 1024;
// How far below the stack's low end an overflowing access may land: the
// kernel keeps a gap of this size under a growing stack, and a large frame
// can skip part of it.
constexpr std::uintptr_t kStackGuardReach = 1024 * 1024;

// Read by the handler; written before the handlers are installed.
alignas(16) char gAltStack[kAltStackSize];
char gLinePrefix[256];
std::size_t gLinePrefixLength = 0;
std::uintptr_t gStackLow = 0;
std::uintptr_t gStackHigh = 0;

// The main thread's stack, as the thread library sees it.
void FindStackBounds() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  void* low = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &low, &size) == 0) {
    gStackLow = reinterpret_cast<std::uintptr_t>(low);
    gStackHigh = gStackLow + size;
  }
  pthread_attr_destroy(&attributes);
}

bool OnStackGuard(const void* address) {
  const auto value = reinterpret_cast<std::uintptr_t>(address);
  if (gStackHigh == 0 || value >= gStackHigh) return false;
  return value + kStackGuardReach >= gStackLow;
}

void WriteAll(const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t written = write(STDOUT_FILENO, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
}

// Only async-signal-safe calls from here on.
extern "C" void OnFaultSignal(int signalNumber, siginfo_t* info, void*) {
  const bool onGuard = signalNumber == SIGSEGV && OnStackGuard(info->si_addr);
  const char* description =
      DescribeExceptionCode(ExceptionCodeForSignal(signalNumber, info->si_code, onGuard));
  WriteAll(gLinePrefix, gLinePrefixLength);
  WriteAll(description, std::strlen(description));
  WriteAll("\n", 1);
  RemovePendingOutput();
  _exit(1);
}

// Installs the handlers for its lifetime and puts the previous ones back.
class FaultHandlers {
 public:
  FaultHandlers() {
    const std::string prefix = IdentityPrefix() + msg::kErrorSeparator;
    gLinePrefixLength = std::min(prefix.size(), sizeof gLinePrefix);
    std::memcpy(gLinePrefix, prefix.data(), gLinePrefixLength);
    FindStackBounds();

    stack_t altStack{};
    altStack.ss_sp = gAltStack;
    altStack.ss_size = sizeof gAltStack;
    hasOldStack = sigaltstack(&altStack, &oldStack) == 0;

    struct sigaction action {};
    action.sa_sigaction = OnFaultSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigfillset(&action.sa_mask);
    sigset_t faults;
    sigemptyset(&faults);
    for (std::size_t i = 0; i < std::size(kFaultSignals); ++i) {
      sigaction(kFaultSignals[i], &action, &oldActions[i]);
      sigaddset(&faults, kFaultSignals[i]);
    }
    // A fault signal blocked by the parent would not reach the handler: the
    // kernel would end the process silently instead.
    hasOldMask = pthread_sigmask(SIG_UNBLOCK, &faults, &oldMask) == 0;

    // A reader that has gone away (a result FIFO, or the host's end of our
    // standard output) must make the write fail and be reported, not end
    // the process silently.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &oldPipeAction);
  }
  FaultHandlers(const FaultHandlers&) = delete;
  FaultHandlers& operator=(const FaultHandlers&) = delete;
  ~FaultHandlers() {
    if (hasOldMask) pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    sigaction(SIGPIPE, &oldPipeAction, nullptr);
    for (std::size_t i = 0; i < std::size(kFaultSignals); ++i) {
      sigaction(kFaultSignals[i], &oldActions[i], nullptr);
    }
    if (hasOldStack) sigaltstack(&oldStack, nullptr);
  }

 private:
  struct sigaction oldActions[std::size(kFaultSignals)]{};
  struct sigaction oldPipeAction {};
  stack_t oldStack{};
  bool hasOldStack = false;
  sigset_t oldMask{};
  bool hasOldMask = false;
};

UInt32 FloatingPointCode(int signalCode) {
  switch (signalCode) {
    case FPE_INTDIV:
      return kCodeIntDivideByZero;
    case FPE_INTOVF:
      return kCodeIntOverflow;
    case FPE_FLTDIV:
      return kCodeFltDivideByZero;
    case FPE_FLTOVF:
      return kCodeFltOverflow;
    case FPE_FLTUND:
      return kCodeFltUnderflow;
    case FPE_FLTRES:
      return kCodeFltInexactResult;
    case FPE_FLTINV:
      return kCodeFltInvalidOperation;
    case FPE_FLTSUB:
      return kCodeArrayBoundsExceeded;
    default:
      return kCodeUnknown;
  }
}

}  // namespace

UInt32 ExceptionCodeForSignal(int signalNumber, int signalCode, bool onStackGuard) {
  switch (signalNumber) {
    case SIGSEGV:
      return onStackGuard ? kCodeStackOverflow : kCodeAccessViolation;
    case SIGBUS:
      return signalCode == BUS_ADRALN ? kCodeDatatypeMisalignment : kCodeAccessViolation;
    case SIGFPE:
      return FloatingPointCode(signalCode);
    case SIGILL:
      return signalCode == ILL_PRVOPC ? kCodePrivInstruction : kCodeIllegalInstruction;
    // An int3 instruction arrives with SI_KERNEL on x86-64, not TRAP_BRKPT:
    // every trap but a single step counts as a breakpoint.
    case SIGTRAP:
      return signalCode == TRAP_TRACE ? kCodeSingleStep : kCodeBreakpoint;
    default:
      return kCodeUnknown;
  }
}

int RunGuarded(int argc, char** argv, RunFunction run) {
  const FaultHandlers handlers;
  return run(argc, argv);
}

}  // namespace vexo
