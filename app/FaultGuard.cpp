#include "app/FaultGuard.h"

namespace vexo {

const char* DescribeExceptionCode(UInt32) { return "Unknown exception"; }

int RunGuarded(int argc, char** argv, RunFunction run) { return run(argc, argv); }

}  // namespace vexo
