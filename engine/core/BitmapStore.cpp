#include "engine/core/BitmapStore.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace vexo::engine {
namespace {

constexpr UInt32 kBitmapMagic = 0x4D424D56;
constexpr UInt32 kHandleVersion = 1;

struct Handle {
  UInt32 magic;
  UInt32 version;
  UInt64 id;
  Int32 width;
  Int32 height;
  Int32 xDpi;
  Int32 yDpi;
};
static_assert(sizeof(Handle) == 32 && sizeof(Handle) <= sizeof(EngineBitmap));

struct Store {
  std::mutex mutex;
  UInt64 lastId = 0;
  std::map<UInt64, std::shared_ptr<const LumaImage>> images;
};

Store& TheStore() {
  static Store store;
  return store;
}

Handle ReadHandle(const EngineBitmap& bitmap) {
  Handle handle;
  std::memcpy(&handle, bitmap.bytes, sizeof handle);
  return handle;
}

bool IsOurs(const Handle& handle) {
  return handle.magic == kBitmapMagic && handle.version == kHandleVersion;
}

}  // namespace

void StoreBitmap(EngineBitmap& bitmap, std::unique_ptr<LumaImage> image) {
  Handle handle{kBitmapMagic, kHandleVersion, 0, image->width, image->height, image->xDpi,
                image->yDpi};
  {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    handle.id = ++store.lastId;
    store.images.emplace(handle.id, std::move(image));
  }
  std::memset(bitmap.bytes, 0, sizeof bitmap.bytes);
  std::memcpy(bitmap.bytes, &handle, sizeof handle);
}

std::shared_ptr<const LumaImage> FindBitmap(const EngineBitmap& bitmap) {
  const Handle handle = ReadHandle(bitmap);
  if (!IsOurs(handle)) return nullptr;
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  const auto found = store.images.find(handle.id);
  return found == store.images.end() ? nullptr : found->second;
}

ReleaseOutcome ReleaseStoredBitmap(EngineBitmap& bitmap) {
  if (std::all_of(std::begin(bitmap.bytes), std::end(bitmap.bytes),
                  [](UInt8 byte) { return byte == 0; })) {
    return ReleaseOutcome::AlreadyClear;
  }
  const Handle handle = ReadHandle(bitmap);
  if (!IsOurs(handle)) return ReleaseOutcome::NotOurs;
  std::shared_ptr<const LumaImage> image;  // freed outside the lock
  {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    const auto found = store.images.find(handle.id);
    if (found == store.images.end()) return ReleaseOutcome::NotOurs;
    image = std::move(found->second);
    store.images.erase(found);
  }
  std::memset(bitmap.bytes, 0, sizeof bitmap.bytes);
  return ReleaseOutcome::Released;
}

}  // namespace vexo::engine
