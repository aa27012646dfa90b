#pragma once
// The common foundation's exception family. Each exception carries the parts
// of a failed check (condition, place, message) and composes them once, at
// construction, into the multi-line report that what() returns.

#include <exception>
#include <string>

#include "Common/Types.h"

namespace vexo::Common {

// Selects the printf-style constructor of Exception.
struct FormatMessage {};
inline constexpr FormatMessage kFormatMessage{};

class Exception : public std::exception {
 public:
  Exception(const char* condition, Int32 linenumber, const char* filename, const char* function,
            const char* message, UInt32 aux_value);
  // The message is formatted from `format` and the further arguments (no length limit).
  Exception(FormatMessage, const char* condition, Int32 linenumber, const char* filename,
            const char* function, const char* format, ...);
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;
  ~Exception() override;

  const char* what() const noexcept override;
  virtual const char* GetTypeName() const noexcept;

  const std::string& Message() const noexcept { return message; }
  const std::string& Condition() const noexcept { return condition; }
  const std::string& Filename() const noexcept { return filename; }
  const std::string& Function() const noexcept { return function; }
  Int32 Linenumber() const noexcept { return linenumber; }
  UInt32 AuxValue() const noexcept { return aux_value; }

 private:
  // Fills every field and builds the report.
  void Compose(const char* condition_text, Int32 line, const char* file,
               const char* function_text, std::string message_text, UInt32 aux);

  std::string message;
  std::string condition;
  std::string filename;
  std::string function;
  std::string report;
  Int32 linenumber = 0;
  UInt32 aux_value = 0;
};

class BadAllocException : public Exception {
 public:
  BadAllocException(const char* condition, Int32 linenumber, const char* filename,
                    const char* function, UInt32 num_bytes);
  const char* GetTypeName() const noexcept override;
};

// Architecture record of the report, made once per process.
struct PlatformInfo {
  Int32 architectureCode;
  static const PlatformInfo& Get();
};
const char* ArchitectureName(Int32 architecture_code);
// The platform the program was built for: "Windows", "Linux" or "macOS".
const char* PlatformName();

}  // namespace vexo::Common

namespace vexo::Uni {

// Always names the source file of the Unicode conversions.
class UnicodeException : public Common::Exception {
 public:
  UnicodeException(const char* condition, Int32 linenumber, const char* function,
                   const char* message);
  const char* GetTypeName() const noexcept override;
};

}  // namespace vexo::Uni

// Throw sites. The condition is stringified so the report shows it exactly as
// written at the site; `function` is the qualified name or signature text.

// Throws Exception (formatted message) when `cond` does not hold.
#define VEXO_CHECK(cond, function, ...)                                                    \
  do {                                                                                      \
    if (!(cond))                                                                            \
      throw ::vexo::Common::Exception(::vexo::Common::kFormatMessage, #cond, __LINE__,      \
                                      __FILE__, function, __VA_ARGS__);                     \
  } while (0)

// Throws UnicodeException when `cond` does not hold.
#define VEXO_UNICODE_CHECK(cond, function, message)                                        \
  do {                                                                                      \
    if (!(cond)) throw ::vexo::Uni::UnicodeException(#cond, __LINE__, function, message);   \
  } while (0)

// Throws BadAllocException when `cond` holds (the condition names the failure).
#define VEXO_BAD_ALLOC_IF(cond, function, num_bytes)                                       \
  do {                                                                                      \
    if (cond)                                                                               \
      throw ::vexo::Common::BadAllocException(#cond, __LINE__, __FILE__, function,          \
                                              num_bytes);                                   \
  } while (0)
