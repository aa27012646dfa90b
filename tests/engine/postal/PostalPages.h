#pragma once
// Envelope-sized pages for the postal tests: an address block of text and a
// postal symbol where mail carries it, read through the ImagingEngine
// interface.

#include <string>
#include <vector>

#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {

// The codes of groups 0x2 and 0x4: Post Net, Planet, Australia Post, RM4SCC,
// USPS4BC.
inline const std::vector<UInt32> kPostalCodes{0x04000002, 0x04000004, 0x04000008, 0x04000010,
                                              0x04000080};

// A white envelope (9.5 x 5 inches at 200 dpi) with an address block of
// word-like marks at its upper left. Text itself is on the negative pages.
Gray Envelope();

// Reads the page with the default profile and every direction.
FindOutcome ReadPage(const Gray& page, const std::vector<UInt32>& codes);

}  // namespace vexo::test
