#pragma once
// Turns processor faults in the run into one report line and exit code 1.

#include "Common/Types.h"

namespace vexo {

// The description of a platform exception code; "Unknown exception" for codes
// not in the table.
const char* DescribeExceptionCode(UInt32 code);

using RunFunction = int (*)(int argc, char** argv);
// Calls run(argc, argv) with faults trapped; returns its result, or 1 after a
// fault has been reported.
int RunGuarded(int argc, char** argv, RunFunction run);

}  // namespace vexo
