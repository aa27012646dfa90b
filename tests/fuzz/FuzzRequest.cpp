// Fuzz target: the request document parser over arbitrary bytes. The bitmap
// path of the seeds points at a small image that the target writes once.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "app/RequestDocument.h"
#include "tests/fuzz/FuzzSupport.h"
#include "wrapper/BarcodeRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string requestPath = vexo::fuzz::PrepareWorkDir() + "/request.json";
  if (!vexo::fuzz::WriteFile(requestPath, data, size)) return 0;
  vexo::BarcodeRequest request;
  const vexo::WideString path(requestPath.begin(), requestPath.end());
  try {
    vexo::ParseRequest(request, path);
  } catch (const std::exception&) {
    // Every malformed request must end here, as one exception.
  }
  return 0;
}
