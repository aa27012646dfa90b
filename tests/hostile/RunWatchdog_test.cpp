// The run's hard stop, in child processes: an expired watchdog prints its
// line and ends the process with 1; a disarmed one does nothing.

#include "app/RunWatchdog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "Pages.h"
#include "Scene.h"
#include "app/RunDriver.h"
#include "engine/Engine.h"

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

// A result FIFO whose reader never reads: the write blocks once the pipe is
// full, and the stop, which covers the writing, ends the run with its line.
TEST(RunWatchdog, StopsAWriteThatNeverEnds) {
  const Scene scene;
  const std::string fifo = scene.File("result.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  std::string request = scene.Request(scene.Write("page.png", PageBytes(PageFormats()[0])), fifo);
  const auto started = std::chrono::steady_clock::now();
  const ChildEnd end = InChild([&] {
    // A reader that never reads, and a pipe already full.
    const int reader = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    const std::string block(4096, 'x');
    while (write(reader, block.data(), block.size()) > 0) {
    }
    char program[] = "velmora-barcode";
    char* argv[] = {program, request.data(), nullptr};
    _exit(RunModuleWith(
        2, argv, [] { return engine::CreateImagingEngine(); }, seconds(2)));
  });
  // The prefix of the run driver linked into these tests.
  EXPECT_EQ(end.out,
            IdentityPrefix() + ", ERROR: The search took longer than the engine's time budget.\n");
  EXPECT_EQ(end.exitCode, 1);
  EXPECT_LT(std::chrono::steady_clock::now() - started, seconds(30));
}

}  // namespace
}  // namespace vexo::hostile
