#pragma once
// Base64 of binary barcode content.

#include <cstddef>
#include <string>

namespace vexo {

// The standard alphabet with '=' padding to a multiple of four characters and
// no line breaks; no bytes give the empty string.
std::string EncodeBase64(const unsigned char* bytes, std::size_t length);

}  // namespace vexo
