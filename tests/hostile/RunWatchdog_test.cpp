// The run's hard stop, in child processes: an expired watchdog prints its
// line and ends the process with 1; a disarmed one does nothing.

#include "app/RunWatchdog.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace vexo::hostile {
namespace {

using std::chrono::seconds;

struct ChildEnd {
  std::string out;
  int exitCode = -1;
};

// Runs `body` in a child whose standard output is collected; the child exits
// with 0 when `body` returns.
ChildEnd InChild(const std::function<void()>& body) {
  int ends[2];
  if (pipe(ends) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child == 0) {
    dup2(ends[1], STDOUT_FILENO);
    close(ends[0]);
    close(ends[1]);
    body();
    _exit(0);
  }
  close(ends[1]);
  ChildEnd end;
  char chunk[256];
  ssize_t count = 0;
  while ((count = read(ends[0], chunk, sizeof chunk)) > 0) {
    end.out.append(chunk, static_cast<std::size_t>(count));
  }
  close(ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) end.exitCode = WEXITSTATUS(status);
  return end;
}

// Sleeps through signals other than the watchdog's.
void Wait(seconds length) {
  const auto until = std::chrono::steady_clock::now() + length;
  while (std::chrono::steady_clock::now() < until) usleep(10000);
}

TEST(RunWatchdog, ExpiredPrintsItsLineAndEndsWithOne) {
  const ChildEnd end = InChild([] {
    const RunWatchdog watchdog(seconds(1), "stopped: one line\n");
    Wait(seconds(30));
  });
  EXPECT_EQ(end.out, "stopped: one line\n");
  EXPECT_EQ(end.exitCode, 1);
}

TEST(RunWatchdog, DisarmedStaysSilent) {
  const ChildEnd end = InChild([] {
    { const RunWatchdog watchdog(seconds(1), "stopped\n"); }
    Wait(seconds(2));
  });
  EXPECT_EQ(end.out, "");
  EXPECT_EQ(end.exitCode, 0);
}

TEST(RunWatchdog, SecondWatchdogPrintsItsOwnLine) {
  const ChildEnd end = InChild([] {
    { const RunWatchdog first(seconds(1), "first\n"); }
    const RunWatchdog second(seconds(1), "second\n");
    Wait(seconds(30));
  });
  EXPECT_EQ(end.out, "second\n");
  EXPECT_EQ(end.exitCode, 1);
}

// The stop must not depend on what the parent left behind: every signal
// blocked, and the timer signal ignored.
TEST(RunWatchdog, FiresWithEverySignalBlockedAndTheAlarmIgnored) {
  const ChildEnd end = InChild([] {
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, nullptr);
    signal(SIGALRM, SIG_IGN);
    const RunWatchdog watchdog(seconds(1), "stopped anyway\n");
    Wait(seconds(30));
  });
  EXPECT_EQ(end.out, "stopped anyway\n");
  EXPECT_EQ(end.exitCode, 1);
}

}  // namespace
}  // namespace vexo::hostile
