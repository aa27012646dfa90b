#pragma once
// Bounds-checked little- and big-endian reads over the bytes of an image
// file, for the header and structure checks.

#include <cstddef>
#include <string_view>

#include "Common/Types.h"

namespace vexo::engine {

class ByteReader {
 public:
  ByteReader(const UInt8* data, std::size_t size) : data_(data), size_(size) {}

  const UInt8* Data() const { return data_; }
  std::size_t Size() const { return size_; }
  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  UInt8 At(std::size_t offset) const { return data_[offset]; }
  UInt32 Le16(std::size_t offset) const { return data_[offset] | (data_[offset + 1] << 8); }
  UInt32 Le32(std::size_t offset) const { return Le16(offset) | (Le16(offset + 2) << 16); }
  UInt32 Be16(std::size_t offset) const { return (data_[offset] << 8) | data_[offset + 1]; }
  UInt32 Be32(std::size_t offset) const { return (Be16(offset) << 16) | Be16(offset + 2); }
  UInt32 U16(std::size_t offset, bool bigEndian) const {
    return bigEndian ? Be16(offset) : Le16(offset);
  }
  UInt32 U32(std::size_t offset, bool bigEndian) const {
    return bigEndian ? Be32(offset) : Le32(offset);
  }
  UInt64 Be64(std::size_t offset) const {
    return (static_cast<UInt64>(Be32(offset)) << 32) | Be32(offset + 4);
  }
  bool Matches(std::size_t offset, std::string_view text) const {
    return Has(offset, text.size()) &&
           std::string_view(reinterpret_cast<const char*>(data_) + offset, text.size()) == text;
  }

 private:
  const UInt8* data_;
  std::size_t size_;
};

}  // namespace vexo::engine
