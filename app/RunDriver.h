#pragma once
// The whole life of one worker process: argument check, one run, the report.

#include <functional>
#include <memory>
#include <string>

#include "Common/UStringImpl.h"
#include "wrapper/ImagingEngine.h"

namespace vexo {

// 0 after a successful run, 1 otherwise. Reads with our imaging engine.
int RunModule(int argc, char** argv);

// RunModule with the engine made by `createEngine` (called once per run,
// after the request has been read).
using EngineFactory = std::function<std::unique_ptr<ImagingEngine>()>;
int RunModuleWith(int argc, char** argv, const EngineFactory& createEngine);

// "Velmora Barcode Module <version>": the start of the banner and of every
// report line.
std::string IdentityPrefix();

// The request path from the command-line argument: its bytes as UTF-8 when
// they are valid UTF-8 (what a Linux shell passes), else by the Windows-1252
// table, one unit per byte up to the terminating zero.
WideString ArgumentToPath(const char* argument);

}  // namespace vexo
