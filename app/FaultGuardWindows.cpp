// The fault guard on Windows: one structured-exception block around the run
// whose filter accepts every exception. The report is printed after the stack
// has been unwound, so a stack overflow is reported like any other fault.
#include <windows.h>

#include <iostream>

#include "app/FaultGuard.h"
#include "app/Messages.h"
#include "app/RunDriver.h"

namespace vexo {
namespace {

// No object with a destructor may live in a function that uses __try.
bool CallGuarded(int argc, char** argv, RunFunction run, int* result, DWORD* code) {
  __try {
    *result = run(argc, argv);
    return true;
  } __except (*code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    return false;
  }
}

}  // namespace

int RunGuarded(int argc, char** argv, RunFunction run) {
  int result = 1;
  DWORD code = 0;
  if (CallGuarded(argc, argv, run, &result, &code)) return result;
  std::cout << IdentityPrefix() << msg::kErrorSeparator
            << DescribeExceptionCode(static_cast<UInt32>(code)) << std::endl;
  return 1;
}

}  // namespace vexo
