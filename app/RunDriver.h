#pragma once
// The whole life of one worker process: argument check, one run, the report.

namespace vexo {

// 0 after a successful run, 1 otherwise.
int RunModule(int argc, char** argv);

}  // namespace vexo
