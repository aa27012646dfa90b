#include "Common/Exception.h"

#include <cstdarg>
#include <exception>
#include <utility>

#include <stb_sprintf.h>

#include "Common/Version.h"

namespace vexo::Common {

namespace {

// Architecture codes of the report's Architecture line.
constexpr Int32 kArchX86 = 1;
constexpr Int32 kArchAmd64 = 2;
constexpr Int32 kArchArm = 4;
constexpr Int32 kArchEmscripten = 8;

constexpr Int32 BuildArchitectureCode() {
#if defined(__EMSCRIPTEN__)
  return kArchEmscripten;
#elif defined(__x86_64__) || defined(_M_X64) || defined(_M_AMD64)
  return kArchAmd64;
#elif defined(__i386__) || defined(_M_IX86)
  return kArchX86;
#elif defined(__arm__) || defined(__aarch64__) || defined(_M_ARM) || defined(_M_ARM64)
  return kArchArm;
#else
  return 0;
#endif
}

constexpr const char* kBadAllocMessage = "Bad Allocation";

// Report layout: the head, then one line per field in this order.
constexpr const char* kReportHead = "Exception: ";
constexpr const char* kMessageLabel = "\n\t Message: ";
constexpr const char* kConditionLabel = "\n\t Conditional expression: ";
constexpr const char* kVersionLabel = "\n\t Version      : ";
constexpr const char* kPlatformLabel = "\n\t Platform     : ";
constexpr const char* kArchitectureLabel = "\n\t Architecture : ";
constexpr const char* kFilenameLabel = "\n\t Filename     : ";
constexpr const char* kFunctionLabel = "\n\t Function     : ";
constexpr const char* kLinenumberLabel = "\n\t Linenumber   : ";
constexpr const char* kReportEnd = "\n";

// Keeps the part after the last '\\' or '/', whichever comes later.
std::string BaseName(const char* path) {
  std::string text = path != nullptr ? path : "";
  const std::size_t cut = text.find_last_of("\\/");
  if (cut != std::string::npos) text.erase(0, cut + 1);
  return text;
}

std::string TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

// stb_sprintf hands its output over in chunks; each is appended here. No
// exception may cross the C formatter, so a failed append stops it and is
// rethrown afterwards.
struct FormatSink {
  std::string text;
  std::exception_ptr failure;
};

char* AppendChunk(const char* chunk, void* user, int len) {
  auto* sink = static_cast<FormatSink*>(user);
  try {
    sink->text.append(chunk, static_cast<std::size_t>(len));
  } catch (...) {
    sink->failure = std::current_exception();
    return nullptr;
  }
  return const_cast<char*>(chunk);
}

std::string FormatText(const char* format, va_list args) {
  FormatSink sink;
  if (format == nullptr) return sink.text;
  char chunk[STB_SPRINTF_MIN];
  stbsp_vsprintfcb(AppendChunk, &sink, chunk, format, args);
  if (sink.failure) std::rethrow_exception(sink.failure);
  return std::move(sink.text);
}

}  // namespace

Exception::Exception(const char* condition_text, Int32 line, const char* file,
                     const char* function_text, const char* message_text, UInt32 aux) {
  Compose(condition_text, line, file, function_text, TextOrEmpty(message_text), aux);
}

Exception::Exception(FormatMessage, const char* condition_text, Int32 line, const char* file,
                     const char* function_text, const char* format, ...) {
  std::string formatted;
  va_list args;
  va_start(args, format);
  try {
    formatted = FormatText(format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  Compose(condition_text, line, file, function_text, std::move(formatted), 0);
}

void Exception::Compose(const char* condition_text, Int32 line, const char* file,
                        const char* function_text, std::string message_text, UInt32 aux) {
  message = std::move(message_text);
  condition = TextOrEmpty(condition_text);
  filename = BaseName(file);
  function = TextOrEmpty(function_text);
  linenumber = line;
  aux_value = aux;

  report.append(kReportHead);
  report.append(kMessageLabel).append(message);
  report.append(kConditionLabel).append(condition);
  report.append(kVersionLabel).append(kVersionString);
  report.append(kPlatformLabel).append(PlatformName());
  report.append(kArchitectureLabel).append(ArchitectureName(PlatformInfo::Get().architectureCode));
  report.append(kFilenameLabel).append(filename);
  report.append(kFunctionLabel).append(function);
  report.append(kLinenumberLabel).append(std::to_string(linenumber));
  report.append(kReportEnd);
}

Exception::~Exception() = default;

const char* Exception::what() const noexcept { return report.c_str(); }

const char* Exception::GetTypeName() const noexcept { return "unspecified"; }

BadAllocException::BadAllocException(const char* condition_text, Int32 line, const char* file,
                                     const char* function_text, UInt32 num_bytes)
    : Exception(condition_text, line, file, function_text, kBadAllocMessage, num_bytes) {}

const char* BadAllocException::GetTypeName() const noexcept { return "BadAllocException"; }

const PlatformInfo& PlatformInfo::Get() {
  static const PlatformInfo info{BuildArchitectureCode()};
  return info;
}

const char* ArchitectureName(Int32 architecture_code) {
  switch (architecture_code) {
    case kArchX86: return "x86";
    case kArchAmd64: return "AMD64";
    case kArchArm: return "Arm";
    case kArchEmscripten: return "Emscripten";
    default: return "unknown Arch";
  }
}

const char* PlatformName() {
#if defined(_WIN32)
  return "Windows";
#elif defined(__APPLE__)
  return "macOS";
#else
  return "Linux";
#endif
}

}  // namespace vexo::Common
