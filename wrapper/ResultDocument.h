#pragma once
// The result document: every barcode found on the page, as UTF-8 (in fact
// ASCII) JSON text with a fixed line layout.

#include <string>

#include "Common/Types.h"
#include "wrapper/ImagingEngine.h"

namespace vexo {

class ResultDocument {
 public:
  ResultDocument() = default;
  ResultDocument(const ResultDocument&) = delete;
  ResultDocument& operator=(const ResultDocument&) = delete;

  // Root object, "page" object, start of the "barcodes" array.
  void Open();

  // true: every barcode content is written as Base64 "data". The flag also
  // becomes true for good as soon as one barcode holds a non-text byte.
  void SetBinaryOutput(bool binary) { binaryOutput = binary; }
  bool BinaryOutput() const { return binaryOutput; }

  // One barcode entry; pixel values are turned into points by `dpi`.
  void AddBarcode(const BarcodeResult& record, Int32 dpi);

  // Ends the array and both objects and hands over the whole text.
  std::string Close();

 private:
  void AppendKey(const char* key);
  void AppendNumbers(const double* values, int count);

  std::string text;
  bool binaryOutput = false;
  bool hasBarcode = false;
};

}  // namespace vexo
