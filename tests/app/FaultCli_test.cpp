// Faults raised on purpose inside the guard of the worker's test build: each
// is reported as one line and exit code 1. The guard's handlers replace the
// sanitizer runtime's, so these run under the sanitizer build too.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "tests/app/TestSupport.h"

namespace vexo {
namespace {

using test::Prefix;
using test::RunProcess;

const std::string kFaultWorker = VELMORA_FAULTS_BINARY;

struct FaultCase {
  const char* name;
  const char* kind;
  const char* description;
};

class Fault : public testing::TestWithParam<FaultCase> {};

TEST_P(Fault, IsReportedInOneLine) {
  const test::ProcessResult result =
      RunProcess(kFaultWorker, {std::string("--fault=") + GetParam().kind});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, Prefix() + ", ERROR: " + GetParam().description + "\n");
}

// A parent may start the worker with the fault signals blocked; a blocked
// fault would end it silently.
TEST_P(Fault, IsReportedWhenTheParentBlockedFaultSignals) {
  const test::ProcessResult result =
      RunProcess(kFaultWorker, {std::string("--fault=") + GetParam().kind},
                 {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, Prefix() + ", ERROR: " + GetParam().description + "\n");
}

const FaultCase kFaults[] = {
    {"AccessViolation", "segv",
     "The thread attempts to read from or write to a virtual address for which it does not have "
     "access."},
    {"IntegerDivisionByZero", "intdiv",
     "The thread attempts to divide an integer value by an integer divisor of 0 (zero)."},
    {"FloatDivisionByZero", "fpe-flt",
     "The thread attempts to divide a floating point value by a floating point divisor of 0 "
     "(zero)."},
    {"StackOverflow", "stack", "The thread uses up its stack."},
    {"IllegalInstruction", "ill", "The thread tries to execute an invalid instruction."},
    {"Breakpoint", "trap", "A breakpoint is encountered."},
    {"Abort", "abort", "Unknown exception"},
};

INSTANTIATE_TEST_SUITE_P(FaultGuard, Fault, testing::ValuesIn(kFaults), test::CaseName());

TEST(FaultGuard, FaultInsideTheEngineDuringARun) {
  test::TempDir dir;
  test::WriteBytes(dir.File("page.pgm"), test::BlankPgm());
  test::WriteBytes(dir.File("request.json"),
                   "{\"width\":16,\"height\":16,\"stride\":16,\"dpi\":72,\"scalarW\":\"1\","
                   "\"scalarH\":\"1\",\"bitmapPath\":\"" +
                       dir.File("page.pgm") + "\",\"resultPath\":\"" + dir.File("result.json") +
                       "\"}");
  const test::ProcessResult result =
      RunProcess(kFaultWorker, {"--fault=engine", dir.File("request.json")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, Prefix() +
                               ", ERROR: The thread attempts to read from or write to a virtual "
                               "address for which it does not have access.\n");
  EXPECT_FALSE(test::Exists(dir.File("result.json")));
}

TEST(FaultGuard, NormalRunResultPassesThrough) {
  // An unknown hook kind returns 3 from the run without a fault.
  const test::ProcessResult result = RunProcess(kFaultWorker, {"--fault=none"});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.output, "");
}

}  // namespace
}  // namespace vexo
