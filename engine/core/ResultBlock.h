#pragma once
// The result array FindBarcodes hands out: one block holding the records and,
// after them, the content bytes they point to. Blocks stay with the engine
// (a process-wide list) until ReleaseBarcodeResults frees them.

#include <vector>

#include "engine/core/Findings.h"
#include "wrapper/ImagingEngine.h"

namespace vexo::engine {

// One record per finding, in the given order; the count is set in every
// record. Corners are rounded to whole pixels and kept in [0, width] x
// [0, height]; the rectangle is the bounding box of the rounded corners.
// Returns null for no findings.
BarcodeResult* PublishResults(const std::vector<Finding>& findings, Int32 width, Int32 height);

// Frees a block from PublishResults; false when `block` is not one of ours
// (nothing is freed then).
bool ReleasePublishedResults(const BarcodeResult* block);

}  // namespace vexo::engine
