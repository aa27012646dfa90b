#pragma once
// The whole life of one worker process: argument check, one run, the report.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/FilePath.h"  // ArgumentToPath
#include "wrapper/ImagingEngine.h"

namespace vexo {

// 0 after a successful run, 1 otherwise. Reads with our imaging engine.
int RunModule(int argc, char** argv);

// The hard stop of a run: the engine ends its search at the profile's time
// budget (60 s at most), but only between steps; this bounds a step that does
// not come back (one library read of a page built to be slow, a write to a
// reader that never reads). Past it the run ends with the engine's time
// budget report and exit code 1.
inline constexpr std::chrono::seconds kRunTimeLimit{90};

// RunModule with the engine made by `createEngine` (called once per run,
// after the request has been read) and the hard stop at `timeLimit`.
using EngineFactory = std::function<std::unique_ptr<ImagingEngine>()>;
int RunModuleWith(int argc, char** argv, const EngineFactory& createEngine,
                  std::chrono::seconds timeLimit = kRunTimeLimit);

// "Velmora Barcode Module <version>": the start of the banner and of every
// report line.
std::string IdentityPrefix();

}  // namespace vexo
