#pragma once
// N bytes in place; beyond them a 16-byte-aligned heap block that doubles.

#include "Common/AlignedBuffer.h"
#include "Common/Types.h"

namespace vexo::Common {

inline constexpr UInt32 kMaxAlignedCapacity = 0xFFFFF000u;

template <UInt32 N>
class StackBackedStorage {
 public:
  StackBackedStorage();
  StackBackedStorage(const StackBackedStorage&) = delete;
  StackBackedStorage& operator=(const StackBackedStorage&) = delete;
  ~StackBackedStorage();

  UInt8* Data();
  UInt32 Capacity() const;
  // Moves the content to a heap block of at least new_size bytes.
  void GrowHeapArray(UInt32 old_size, UInt32 new_size);
  // Makes room for new_size bytes; on growth bytes from old_size on are zero.
  void Resize(UInt32 old_size, UInt32 new_size);

  UInt32 size = 0;  // bytes in use, kept by the owner

 private:
  UInt8 inPlace[N];
  AlignedBuffer heap;
};

}  // namespace vexo::Common

// Template definitions.
#include "Common/StackBackedStorage.inl"
