#pragma once
// An ImagingEngine for tests: answers with scripted statuses, results and
// error text, and records every call with its arguments.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "wrapper/ImagingEngine.h"

namespace vexo::test {

// `args` holds every argument in order, pointers as addresses (null is 0),
// followed by what some pointers held on entry:
//   DecodeImageToBitmap    fileBytes bitmap bitmapSize flags mode byteCount reserved1 reserved2
//   ReleaseBitmap          bitmap
//   DescribeError          status buffer bufferSize flags | buffer all zero (1/0)
//   OpenBarcodeReader      featureMask
//   GetProfileOptions      index profileValue A B C extra | *profileValue *extra
//   FindBarcodes           bitmap rect codes count r1 profileValue r2 A B C results size r3 r4
//                          | *results
//   ReleaseBarcodeResults  results | *results
//   CloseBarcodeReader     -
struct EngineCall {
  std::string operation;
  std::vector<std::int64_t> args;
  std::vector<UInt32> codes;                   // FindBarcodes: the code list
  SearchRect rect{};                           // FindBarcodes
  std::vector<UInt32> wordsA, wordsB, wordsC;  // option blocks as received
};

inline std::int64_t Address(const void* pointer) {
  return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

class ScriptedEngine : public ImagingEngine {
 public:
  std::map<std::string, EngineStatus> statuses;  // kEngineSuccess when absent
  // GetProfileOptions on success: the value, and words 1.. of each block.
  UInt32 profileValue = 0;
  std::vector<UInt32> fillA, fillB, fillC;
  // FindBarcodes hands these out (when any), whatever its status; the first
  // record's count is their number unless `count` is set.
  std::vector<BarcodeResult> results;
  std::optional<Int32> count;
  // DescribeError copies as many bytes as fit, zero-terminated if room is left.
  std::string errorText;
  std::vector<EngineCall> calls;

  BarcodeResult& AddResult(UInt32 code, const std::string& bytes) {
    const std::string& kept = dataStore.emplace_back(bytes);
    BarcodeResult& record = results.emplace_back();
    std::memset(&record, 0, sizeof record);
    record.code = code;
    record.dataLength = static_cast<Int32>(kept.size());
    record.data = reinterpret_cast<const UInt8*>(kept.data());
    return record;
  }
  std::vector<std::string> Operations() const {
    std::vector<std::string> names;
    for (const EngineCall& call : calls) names.push_back(call.operation);
    return names;
  }
  // The first call of `operation`; throws when there is none.
  const EngineCall& Call(const std::string& operation) const {
    for (const EngineCall& call : calls) {
      if (call.operation == operation) return call;
    }
    throw std::out_of_range("no call of " + operation);
  }

  EngineStatus DecodeImageToBitmap(const void* fileBytes, EngineBitmap* bitmap, UInt32 bitmapSize,
                                   UInt32 flags, UInt32 mode, UInt64 byteCount,
                                   const void* reserved1, const void* reserved2) override {
    return Log("DecodeImageToBitmap",
               {Address(fileBytes), Address(bitmap), bitmapSize, flags, mode,
                static_cast<std::int64_t>(byteCount), Address(reserved1), Address(reserved2)});
  }
  EngineStatus ReleaseBitmap(EngineBitmap* bitmap) override {
    return Log("ReleaseBitmap", {Address(bitmap)});
  }
  EngineStatus DescribeError(EngineStatus status, char* buffer, UInt32 bufferSize,
                             UInt32 flags) override {
    const bool zero = std::all_of(buffer, buffer + bufferSize, [](char c) { return c == 0; });
    Log("DescribeError", {status, Address(buffer), bufferSize, flags, zero});
    const std::size_t copied = std::min<std::size_t>(errorText.size(), bufferSize);
    std::memcpy(buffer, errorText.data(), copied);
    if (copied < bufferSize) buffer[copied] = '\0';
    return kEngineSuccess;
  }
  EngineStatus OpenBarcodeReader(UInt32 featureMask) override {
    return Log("OpenBarcodeReader", {featureMask});
  }
  EngineStatus GetProfileOptions(UInt32 index, UInt32* value, ProfileOptionsA* a,
                                 ProfileOptionsB* b, ProfileOptionsC* c, UInt32* extra) override {
    const EngineStatus status =
        Log("GetProfileOptions", {index, Address(value), Address(a), Address(b), Address(c),
                                  Address(extra), *value, *extra});
    KeepBlocks(a->words, b->words, c->words);
    if (status == kEngineSuccess) {
      *value = profileValue;
      std::copy_n(fillA.begin(), std::min<std::size_t>(fillA.size(), 10), a->words + 1);
      std::copy_n(fillB.begin(), std::min<std::size_t>(fillB.size(), 1), b->words + 1);
      std::copy_n(fillC.begin(), std::min<std::size_t>(fillC.size(), 2), c->words + 1);
    }
    return status;
  }
  EngineStatus FindBarcodes(EngineBitmap* bitmap, const SearchRect* rect, const UInt32* codes,
                            UInt32 codeCount, UInt32 r1, UInt32 value, UInt32 r2,
                            const ProfileOptionsA* a, const ProfileOptionsB* b,
                            const ProfileOptionsC* c, BarcodeResult** out, UInt32 size, UInt32 r3,
                            UInt32 r4) override {
    const EngineStatus status =
        Log("FindBarcodes",
            {Address(bitmap), Address(rect), Address(codes), codeCount, r1, value, r2, Address(a),
             Address(b), Address(c), Address(out), size, r3, r4, Address(*out)});
    if (codes != nullptr) calls.back().codes.assign(codes, codes + codeCount);
    calls.back().rect = *rect;
    KeepBlocks(a->words, b->words, c->words);
    if (!results.empty()) {
      results[0].count = count.value_or(static_cast<Int32>(results.size()));
      *out = results.data();
    }
    return status;
  }
  EngineStatus ReleaseBarcodeResults(BarcodeResult** out) override {
    Log("ReleaseBarcodeResults", {Address(out), Address(*out)});
    *out = nullptr;
    return kEngineSuccess;
  }
  EngineStatus CloseBarcodeReader() override { return Log("CloseBarcodeReader", {}); }

 private:
  EngineStatus Log(const char* operation, std::vector<std::int64_t> args) {
    calls.push_back({operation, std::move(args), {}, {}, {}, {}, {}});
    const auto found = statuses.find(operation);
    return found == statuses.end() ? kEngineSuccess : found->second;
  }
  void KeepBlocks(const UInt32 (&a)[11], const UInt32 (&b)[2], const UInt32 (&c)[3]) {
    calls.back().wordsA.assign(std::begin(a), std::end(a));
    calls.back().wordsB.assign(std::begin(b), std::end(b));
    calls.back().wordsC.assign(std::begin(c), std::end(c));
  }

  std::deque<std::string> dataStore;  // keeps the records' data bytes alive
};

}  // namespace vexo::test
