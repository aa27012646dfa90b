#include "Common/AlignedBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "Common/Exception.h"

namespace vexo::Common {

namespace {

constexpr UInt32 kAlignment = 16;

BlockAllocator& CurrentAllocator() {
  static BlockAllocator allocator{&std::malloc, &std::free};
  return allocator;
}

}  // namespace

BlockAllocator ExchangeBlockAllocator(BlockAllocator replacement) {
  return std::exchange(CurrentAllocator(), replacement);
}

AlignedBuffer::AlignedBuffer(AlignedBuffer&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      capacity(std::exchange(other.capacity, 0)),
      offset(std::exchange(other.offset, 0)) {}

AlignedBuffer& AlignedBuffer::operator=(AlignedBuffer&& other) noexcept {
  if (this != &other) {
    Free();
    data = std::exchange(other.data, nullptr);
    capacity = std::exchange(other.capacity, 0);
    offset = std::exchange(other.offset, 0);
  }
  return *this;
}

AlignedBuffer AlignedBuffer::Allocate(UInt32 num_bytes) {
  AlignedBuffer buffer;
  if (num_bytes == 0) return buffer;

  // Rounded up to whole 16-byte units plus room to align the start. From
  // kMaxAllocatable on that sum passes 32 bits: such a size fails as an
  // allocator that returns nothing, instead of wrapping to a tiny block
  // under a capacity of about 4 GiB.
  const UInt32 askedBytes = ((num_bytes + (kAlignment - 1)) & ~(kAlignment - 1)) + kAlignment;
  void* allocated_array =
      num_bytes <= kMaxAllocatable ? CurrentAllocator().allocate(askedBytes) : nullptr;
  VEXO_BAD_ALLOC_IF(allocated_array == 0, "Allocate(UInt32 num_bytes)",
                    num_bytes <= kMaxAllocatable ? askedBytes : num_bytes);

  const auto start = reinterpret_cast<std::uintptr_t>(allocated_array);
  const std::uintptr_t aligned = (start + (kAlignment - 1)) & ~std::uintptr_t{kAlignment - 1};
  buffer.data = static_cast<UInt8*>(allocated_array) + (aligned - start);
  buffer.offset = static_cast<Int32>(aligned - start);
  buffer.capacity = num_bytes;
  return buffer;
}

void AlignedBuffer::Free() noexcept {
  if (data != nullptr) CurrentAllocator().release(data - offset);
  data = nullptr;
  capacity = 0;
  offset = 0;
}

}  // namespace vexo::Common
