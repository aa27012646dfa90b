#pragma once
// The validated request record: filled by the request parser, read by the
// extraction and the run driver.

#include <vector>

#include "Common/Types.h"
#include "Common/UStringImpl.h"

namespace vexo {

struct BarcodeRequest {
  UInt32 searchTypeGroups = 0xFFFFFFFFu;
  UInt32 searchDirections = 0xFFFFFFFFu;
  Int32 profile = 1;
  UInt32 outputFormat = 0;
  Int32 width = 0;
  Int32 height = 0;
  Int32 stride = 0;
  Int32 dpi = 0;
  double scalarW = 0.0;
  double scalarH = 0.0;
  WideString resultPath;
  std::vector<char> bitmapData;
};

}  // namespace vexo
