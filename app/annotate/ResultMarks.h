#pragma once
// The marks of a result document: each barcode's corners turned back from
// points into pixels, and a label of its type and the start of its content.

#include <string>
#include <string_view>
#include <vector>

#include "engine/image/PageDrawing.h"

namespace vexo {

// The marks of `document` read at `dpi`, or std::runtime_error with
// "Malformed result document "<shownPath>"" when it is no JSON object of the
// worker's shape (page, barcodes, each with eight numbers under vertices).
std::vector<engine::PageMark> ReadResultMarks(std::string_view document, int dpi,
                                              const std::string& shownPath);

}  // namespace vexo
