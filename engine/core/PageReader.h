#pragma once
// Runs the planned passes over the search area and merges what they find.
// The read of one view is a parameter so that the passes, the coordinate
// mapping and the merge can be tested with made-up detections.

#include <chrono>
#include <functional>
#include <vector>

#include "engine/core/Findings.h"
#include "engine/core/LumaView.h"
#include "engine/core/PassPlan.h"
#include "engine/core/Profiles.h"
#include "engine/zx/ZxReader.h"

namespace vexo::engine {

using ViewReader = std::function<std::vector<Detection>(const LumaView&, const ZxSettings&)>;
using Deadline = std::chrono::steady_clock::time_point;

struct PageRead {
  std::vector<Finding> findings;  // merged, not yet sorted
  bool outOfTime = false;         // a pass or crop was skipped for the deadline
};

// `areaToPage` maps area coordinates to whole-image coordinates. The deadline
// is checked before each pass and each region crop.
PageRead ReadPage(const LumaView& area, const AffineMap& areaToPage, const ReadOptions& options,
                  const SymbologySet& readable, const ViewReader& reader, Deadline deadline);

// The production reader: one zxing read of the view.
ViewReader ZxViewReader();

}  // namespace vexo::engine
