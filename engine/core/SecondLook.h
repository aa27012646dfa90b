#pragma once
// A second look at the reads of the retail symbologies (EAN, UPC). Their one
// mod-10 check digit lets about one wrong read in ten through, and noisy
// lines (a dithered fax, a grainy photo) give the readers many tries: a
// symbol may come out with two wrong digits that still check. Each such read
// is read again in an upright crop of its own, enlarged to about four pixels
// a module, where the bars are sampled anew; a read there of the same
// symbology on the same bars with another content contradicts the first,
// which is dropped. A second look that reads nothing leaves the read alone.

#include <vector>

#include "engine/core/Findings.h"
#include "engine/core/LumaView.h"
#include "engine/core/PageReader.h"

namespace vexo::engine {

// `area` and `areaToPage` as given to ReadPage; findings in page coordinates.
void DropContradicted(std::vector<Finding>& findings, const LumaView& area,
                      const AffineMap& areaToPage, const ReaderList& readers, Deadline deadline);

}  // namespace vexo::engine
