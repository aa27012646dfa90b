#pragma once
// An ImagingEngine for tests: answers with scripted statuses, results and
// error text, and records every call with the argument values that matter.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "wrapper/ImagingEngine.h"

namespace vexo::test {

struct EngineCall {
  std::string operation;
  // Scalar arguments in call order; for outputs, the value found on entry.
  std::vector<std::int64_t> values;
  // Pointer arguments in call order, as addresses (null is 0).
  std::vector<std::uintptr_t> pointers;
  // Copies of what FindBarcodes received (GetProfileOptions: the blocks as
  // handed in, before the engine fills them).
  std::vector<UInt32> codes;
  SearchRect rect{};
  ProfileOptionsA optionsA{};
  ProfileOptionsB optionsB{};
  ProfileOptionsC optionsC{};
};

inline std::uintptr_t Address(const void* pointer) {
  return reinterpret_cast<std::uintptr_t>(pointer);
}

class ScriptedEngine : public ImagingEngine {
 public:
  // Status per operation name; kEngineSuccess when not scripted.
  std::map<std::string, EngineStatus> statuses;
  // What GetProfileOptions writes on success; the word 0 of each block is
  // left as the caller set it.
  UInt32 profileValue = 0;
  std::vector<UInt32> wordsA, wordsB, wordsC;  // words 1.. of each block
  // FindBarcodes hands out a pointer to these records (when not empty), even
  // with a failure status. The first record's count is set to the number of
  // records unless `count` is set.
  std::vector<BarcodeResult> results;
  std::optional<Int32> count;
  // DescribeError copies these bytes into the buffer, as many as fit, with a
  // terminator only when there is room left.
  std::string errorText;

  std::vector<EngineCall> calls;

  // Appends a record whose data bytes the engine keeps alive.
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
  const EngineCall* Find(const std::string& operation) const {
    for (const EngineCall& call : calls) {
      if (call.operation == operation) return &call;
    }
    return nullptr;
  }

  EngineStatus DecodeImageToBitmap(const void* fileBytes, EngineBitmap* bitmap,
                                   UInt32 bitmapSize, UInt32 flags, UInt32 mode,
                                   UInt64 byteCount, const void* reserved1,
                                   const void* reserved2) override {
    Record("DecodeImageToBitmap", {bitmapSize, flags, mode, static_cast<std::int64_t>(byteCount)},
           {Address(fileBytes), Address(bitmap), Address(reserved1), Address(reserved2)});
    return StatusOf("DecodeImageToBitmap");
  }
  EngineStatus ReleaseBitmap(EngineBitmap* bitmap) override {
    Record("ReleaseBitmap", {}, {Address(bitmap)});
    return kEngineSuccess;
  }
  EngineStatus DescribeError(EngineStatus status, char* buffer, UInt32 bufferSize,
                             UInt32 flags) override {
    const bool zeroed = std::all_of(buffer, buffer + bufferSize, [](char c) { return c == 0; });
    Record("DescribeError", {status, bufferSize, flags, zeroed ? 1 : 0}, {Address(buffer)});
    const std::size_t copied = std::min<std::size_t>(errorText.size(), bufferSize);
    std::memcpy(buffer, errorText.data(), copied);
    if (copied < bufferSize) buffer[copied] = '\0';
    return kEngineSuccess;
  }
  EngineStatus OpenBarcodeReader(UInt32 featureMask) override {
    Record("OpenBarcodeReader", {featureMask}, {});
    return StatusOf("OpenBarcodeReader");
  }
  EngineStatus GetProfileOptions(UInt32 profileIndex, UInt32* profileValueOut,
                                 ProfileOptionsA* optionsA, ProfileOptionsB* optionsB,
                                 ProfileOptionsC* optionsC, UInt32* extra) override {
    EngineCall& call = Record("GetProfileOptions", {profileIndex, *profileValueOut, *extra},
                              {Address(profileValueOut), Address(optionsA), Address(optionsB),
                               Address(optionsC), Address(extra)});
    call.optionsA = *optionsA;
    call.optionsB = *optionsB;
    call.optionsC = *optionsC;
    const EngineStatus status = StatusOf("GetProfileOptions");
    if (status != kEngineSuccess) return status;
    *profileValueOut = profileValue;
    Fill(optionsA->words, std::size(optionsA->words), wordsA);
    Fill(optionsB->words, std::size(optionsB->words), wordsB);
    Fill(optionsC->words, std::size(optionsC->words), wordsC);
    return status;
  }
  EngineStatus FindBarcodes(EngineBitmap* bitmap, const SearchRect* rect, const UInt32* codes,
                            UInt32 codeCount, UInt32 reserved1, UInt32 profileValueIn,
                            UInt32 reserved2, const ProfileOptionsA* optionsA,
                            const ProfileOptionsB* optionsB, const ProfileOptionsC* optionsC,
                            BarcodeResult** resultsOut, UInt32 resultSize, UInt32 reserved3,
                            UInt32 reserved4) override {
    EngineCall& call = Record(
        "FindBarcodes",
        {codeCount, reserved1, profileValueIn, reserved2, resultSize, reserved3, reserved4},
        {Address(bitmap), Address(rect), Address(codes), Address(optionsA), Address(optionsB),
         Address(optionsC), Address(resultsOut), Address(*resultsOut)});
    if (codes != nullptr) call.codes.assign(codes, codes + codeCount);
    call.rect = *rect;
    call.optionsA = *optionsA;
    call.optionsB = *optionsB;
    call.optionsC = *optionsC;
    if (!results.empty()) {
      results[0].count = count.value_or(static_cast<Int32>(results.size()));
      *resultsOut = results.data();
    }
    return StatusOf("FindBarcodes");
  }
  EngineStatus ReleaseBarcodeResults(BarcodeResult** resultsIn) override {
    Record("ReleaseBarcodeResults", {}, {Address(resultsIn), Address(*resultsIn)});
    *resultsIn = nullptr;
    return kEngineSuccess;
  }
  EngineStatus CloseBarcodeReader() override {
    Record("CloseBarcodeReader", {}, {});
    return kEngineSuccess;
  }

 private:
  EngineCall& Record(const char* operation, std::vector<std::int64_t> values,
                     std::vector<std::uintptr_t> pointers) {
    EngineCall& call = calls.emplace_back();
    call.operation = operation;
    call.values = std::move(values);
    call.pointers = std::move(pointers);
    return call;
  }
  EngineStatus StatusOf(const std::string& operation) const {
    const auto found = statuses.find(operation);
    return found == statuses.end() ? kEngineSuccess : found->second;
  }
  static void Fill(UInt32* words, std::size_t size, const std::vector<UInt32>& scripted) {
    for (std::size_t i = 0; i < scripted.size() && i + 1 < size; ++i) words[i + 1] = scripted[i];
  }

  std::deque<std::string> dataStore;
};

}  // namespace vexo::test
