#include "app/RunDriver.h"

#include <chrono>
#include <exception>
#include <initializer_list>
#include <iostream>
#include <stdexcept>
#include <string_view>

#include "Common/Version.h"
#include "app/FileAccess.h"
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

// Multi-byte UTF-8 lead bytes: which bits select the form, how many
// continuation bytes follow, and the smallest code point the form may carry.
struct LeadForm {
  unsigned char mask;
  unsigned char value;
  std::size_t extra;
  char32_t minimum;
};
constexpr LeadForm kLeadForms[] = {
    {0xE0, 0xC0, 1, 0x80},
    {0xF0, 0xE0, 2, 0x800},
    {0xF8, 0xF0, 3, 0x10000},
};

// Strict UTF-8: no over-long forms, no surrogates, nothing above U+10FFFF.
bool IsValidUTF8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    const LeadForm* form = nullptr;
    for (const LeadForm& candidate : kLeadForms) {
      if ((lead & candidate.mask) == candidate.value) form = &candidate;
    }
    if (form == nullptr || text.size() - i <= form->extra) return false;
    char32_t codePoint = lead & static_cast<unsigned char>(~form->mask);
    for (std::size_t k = 1; k <= form->extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < form->minimum || codePoint > 0x10FFFF) return false;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return false;
    i += form->extra + 1;
  }
  return true;
}

// The engine ends its search at the profile's time budget (60 s at most),
// but only between steps; this bounds a step that does not come back (one
// library read of a page built to be slow), and the decode before it.
constexpr std::chrono::seconds kExtractionTimeLimit{90};

std::string TimeLimitReport() {
  return IdentityPrefix() + msg::kErrorSeparator +
         engine::StatusText(engine::kStatusTimeBudgetExceeded) + "\n";
}

// One run over the request file; every failure leaves by exception.
void Run(const char* argument, const EngineFactory& createEngine) {
  BarcodeRequest request;
  ParseRequest(request, ArgumentToPath(argument));
  const std::unique_ptr<ImagingEngine> engine = createEngine();
  std::string document;
  {
    // Disarmed before the result file is opened, so a stop never leaves
    // half a result behind.
    const RunWatchdog watchdog(kExtractionTimeLimit, TimeLimitReport());
    document = BarcodeExtractor(request, *engine).Extract();
  }
  WriteWholeFile(request.resultPath, document);
}

}  // namespace

std::string IdentityPrefix() {
  return std::string(msg::kProductName) + " " + Common::kVersionString;
}

WideString ArgumentToPath(const char* argument) {
  const UStringEncoding encoding =
      IsValidUTF8(argument) ? UStringEncoding::UTF8 : UStringEncoding::Windows1252;
  const UString text(argument, -1, encoding);
  return WideString(text.Units(), text.Length());
}

int RunModuleWith(int argc, char** argv, const EngineFactory& createEngine) {
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
    Run(argv[1], createEngine);
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
