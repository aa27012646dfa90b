#include "engine/core/ResultBlock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

namespace vexo::engine {
namespace {

using Block = std::unique_ptr<std::byte[]>;

struct Published {
  std::mutex mutex;
  std::map<const void*, Block> blocks;
};

Published& ThePublished() {
  static Published published;
  return published;
}

Int32 Clamped(double v, Int32 limit) {
  return static_cast<Int32>(std::clamp(std::lround(v), 0L, static_cast<long>(limit)));
}

BarcodeResult RecordOf(const Finding& finding, Int32 count, Int32 width, Int32 height) {
  BarcodeResult record{};
  record.code = finding.code;
  for (std::size_t i = 0; i < finding.corners.size(); ++i) {
    record.corners[2 * i] = Clamped(finding.corners[i].x, width);
    record.corners[2 * i + 1] = Clamped(finding.corners[i].y, height);
  }
  record.left = record.right = record.corners[0];
  record.top = record.bottom = record.corners[1];
  for (std::size_t i = 0; i < 4; ++i) {
    record.left = std::min(record.left, record.corners[2 * i]);
    record.right = std::max(record.right, record.corners[2 * i]);
    record.top = std::min(record.top, record.corners[2 * i + 1]);
    record.bottom = std::max(record.bottom, record.corners[2 * i + 1]);
  }
  record.dataLength = static_cast<Int32>(finding.content.size());
  record.count = count;
  record.angle = AngleOf(finding);
  return record;
}

}  // namespace

BarcodeResult* PublishResults(const std::vector<Finding>& findings, Int32 width, Int32 height) {
  if (findings.empty()) return nullptr;
  std::size_t contentBytes = 0;
  for (const Finding& finding : findings) contentBytes += finding.content.size();
  const std::size_t recordBytes = findings.size() * sizeof(BarcodeResult);
  Block block(new std::byte[recordBytes + contentBytes]);
  std::byte* content = block.get() + recordBytes;
  const auto count = static_cast<Int32>(findings.size());
  for (std::size_t i = 0; i < findings.size(); ++i) {
    BarcodeResult record = RecordOf(findings[i], count, width, height);
    if (!findings[i].content.empty()) {
      std::memcpy(content, findings[i].content.data(), findings[i].content.size());
      record.data = reinterpret_cast<const UInt8*>(content);
      content += findings[i].content.size();
    }
    new (block.get() + i * sizeof(BarcodeResult)) BarcodeResult(record);
  }
  auto* first = std::launder(reinterpret_cast<BarcodeResult*>(block.get()));
  Published& published = ThePublished();
  std::lock_guard lock(published.mutex);
  published.blocks.emplace(first, std::move(block));
  return first;
}

bool ReleasePublishedResults(const BarcodeResult* block) {
  Block freed;  // freed outside the lock
  Published& published = ThePublished();
  std::lock_guard lock(published.mutex);
  const auto found = published.blocks.find(block);
  if (found == published.blocks.end()) return false;
  freed = std::move(found->second);
  published.blocks.erase(found);
  return true;
}

}  // namespace vexo::engine
