#pragma once
// UString: UTF-16 text (native byte order) built from 8-bit input in a named
// encoding and turned back into UTF-8.

#include <string>

#include "Common/Types.h"

namespace vexo {

// A UTF-16 string, the type paths travel in between the layers.
using WideString = std::u16string;
using UStringBody = std::u16string;

enum class UStringEncoding : UInt32 {
  Windows1252 = 2,
  UTF8 = 5,
};

class UString {
 public:
  UString();
  // buf_sz < 0: up to the first zero byte.
  UString(const char* buf, Int32 buf_sz, UStringEncoding encoding);
  explicit UString(const UStringBody& body);
  UString(const char16_t* units, std::size_t num_units);
  UString(const UString& other);
  UString& operator=(const UString& other);
  ~UString();

  const char16_t* Units() const { return body->c_str(); }
  std::size_t Length() const { return body->size(); }
  const UStringBody& Body() const { return *body; }

 private:
  friend void IMPL_VEXO_UStringAssignAscii(UString& target, const char* buf, Int32 buf_sz,
                                           UStringEncoding encoding);
  static constexpr UInt8 kOwnsBody = 0x80;
  explicit UString(UStringBody* borrowed);  // non-owning view, used during construction
  UStringBody* body;
  UInt8 flags;
};

void IMPL_VEXO_UStringAssignAscii(UString& target, const char* buf, Int32 buf_sz,
                                  UStringEncoding encoding);
void ConvertToUTF8(const UString& text, std::string& out);

// The Windows-1252 table (0x81, 0x8D, 0x8F, 0x90, 0x9D map to U+FFFD).
char16_t Windows1252ToUnit(UInt8 byte);

}  // namespace vexo
