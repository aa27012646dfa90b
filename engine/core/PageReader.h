#pragma once
// Runs the planned passes over the search area and merges what they find.
// The readers are a parameter so that the passes, the coordinate mapping and
// the merge can be tested with made-up detections.

#include <chrono>
#include <vector>

#include "engine/core/Findings.h"
#include "engine/core/LumaView.h"
#include "engine/core/PassPlan.h"
#include "engine/core/Profiles.h"
#include "engine/core/ViewReader.h"

namespace vexo::engine {

using Deadline = std::chrono::steady_clock::time_point;

struct PageRead {
  std::vector<Finding> findings;  // merged, not yet sorted
  bool outOfTime = false;         // a pass or crop was skipped for the deadline
};

// `areaToPage` maps area coordinates to whole-image coordinates. `readable`
// is what was asked for and some reader of `readers` reads. The deadline is
// checked before each pass and each region crop.
PageRead ReadPage(const LumaView& area, const AffineMap& areaToPage, const ReadOptions& options,
                  const SymbologySet& readable, const ReaderList& readers, Deadline deadline);

}  // namespace vexo::engine
