#pragma once
// Runs the imaging engine once over the request's bitmap and turns what it
// finds into the result document.

#include <string>

#include "wrapper/BarcodeRequest.h"
#include "wrapper/ImagingEngine.h"

namespace vexo {

class BarcodeExtractor {
 public:
  // Keeps references to both; they must outlive the extractor.
  BarcodeExtractor(const BarcodeRequest& barcodeRequest, ImagingEngine& imagingEngine);
  // A temporary request would leave the reference dangling.
  BarcodeExtractor(BarcodeRequest&& barcodeRequest, ImagingEngine& imagingEngine) = delete;

  // The complete result document text. Throws std::runtime_error when the
  // engine fails; every engine resource taken is released on every way out.
  std::string Extract();

 private:
  const BarcodeRequest& request;
  ImagingEngine& engine;
};

}  // namespace vexo
