#include "app/RunDriver.h"

#include <chrono>
#include <exception>
#include <initializer_list>
#include <iostream>
#include <stdexcept>
#include <string_view>

#include "Common/Version.h"
#include "app/FileAccess.h"
#include "app/FilePath.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/RequestDocument.h"
#include "app/RunWatchdog.h"
#include "engine/Engine.h"
#include "engine/core/Status.h"
#include "wrapper/BarcodeExtractor.h"

namespace vexo {
namespace {

// One console line: the parts byte for byte, a newline, a flush.
void PrintLine(std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) std::cout << part;
  std::cout << std::endl;
}

std::string TimeLimitReport() {
  return IdentityPrefix() + msg::kErrorSeparator +
         engine::StatusText(engine::kStatusTimeBudgetExceeded) + "\n";
}

// One run over the request file; every failure leaves by exception.
void Run(const char* argument, const EngineFactory& createEngine, std::chrono::seconds timeLimit) {
  // Covers the whole run, the result's writing included; a stop while the
  // result is written removes the temporary file.
  const RunWatchdog watchdog(timeLimit, TimeLimitReport());
  BarcodeRequest request;
  ParseRequest(request, FilePath::FromArgument(argument));
  const std::unique_ptr<ImagingEngine> engine = createEngine();
  const std::string document = BarcodeExtractor(request, *engine).Extract();
  WriteWholeFile(request.resultPath, document);
}

}  // namespace

std::string IdentityPrefix() {
  return std::string(msg::kProductName) + " " + Common::kVersionString;
}

int RunModuleWith(int argc, char** argv, const EngineFactory& createEngine,
                  std::chrono::seconds timeLimit) {
  const std::string prefix = IdentityPrefix();
  if (argc <= 1) {
    PrintLine({prefix, msg::kBannerEnd});
    PrintLine({msg::kStandaloneMessage});
    return 1;
  }
  try {
    if (argc > 2) {
      throw std::runtime_error(std::string(msg::kUnrecognizedParameter) + EscapeControls(argv[2]) +
                               msg::kQuote);
    }
    Run(argv[1], createEngine, timeLimit);
    return 0;
  } catch (const std::exception& error) {
    PrintLine({prefix, msg::kErrorSeparator, error.what()});
  } catch (...) {
    PrintLine({prefix, msg::kErrorSeparator, msg::kUnknownException});
  }
  return 1;
}

int RunModule(int argc, char** argv) {
  return RunModuleWith(argc, argv, [] { return engine::CreateImagingEngine(); });
}

}  // namespace vexo
