// Definitions of StackBackedStorage<N>; included by StackBackedStorage.h.

#include <algorithm>
#include <cstring>
#include <utility>

#include "Common/Exception.h"

namespace vexo::Common {

template <UInt32 N>
UInt8* StackBackedStorage<N>::Data() {
  return OnHeap() ? heap.data : inPlace;
}

template <UInt32 N>
const UInt8* StackBackedStorage<N>::Data() const {
  return OnHeap() ? heap.data : inPlace;
}

template <UInt32 N>
UInt32 StackBackedStorage<N>::Capacity() const {
  return OnHeap() ? heap.capacity : N;
}

template <UInt32 N>
UInt32 StackBackedStorage<N>::GrownCapacity(UInt32 current, UInt32 new_size) {
  UInt64 grown = std::max<UInt64>(UInt64{current} * 2, 1);
  while (grown < new_size) grown *= 2;  // ends by 2^32 at the latest
  return static_cast<UInt32>(std::min<UInt64>(grown, kMaxAlignedCapacity));
}

template <UInt32 N>
void StackBackedStorage<N>::GrowHeapArray(UInt32 old_size, UInt32 new_size) {
  if (new_size > kMaxAlignedCapacity) {
    throw BadAllocException("new_size is over the maximum capacity of AlignedBuffer.", __LINE__,
                            __FILE__, "GrowHeapArray(UInt32 old_size, UInt32 new_size)", new_size);
  }
  AlignedBuffer fresh = AlignedBuffer::Allocate(GrownCapacity(Capacity(), new_size));
  const UInt32 kept = std::min(old_size, Capacity());
  if (kept != 0) std::memcpy(fresh.data, Data(), kept);
  heap = std::move(fresh);  // frees the old block, if any
}

template <UInt32 N>
void StackBackedStorage<N>::Resize(UInt32 old_size, UInt32 new_size) {
  if (new_size <= N || new_size <= heap.capacity) return;
  GrowHeapArray(old_size, new_size);
  const UInt32 kept = std::min(old_size, Capacity());
  std::memset(Data() + kept, 0, Capacity() - kept);
}

}  // namespace vexo::Common
