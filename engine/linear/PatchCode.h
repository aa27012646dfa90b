#pragma once
// Patch Code: the four bars of a document separator sheet.

#include <vector>

#include "engine/bars/RunRow.h"
#include "engine/core/Findings.h"

namespace vexo::engine {

// Every patch on the line, read left to right only: patterns 1 and 6, 3 and
// T are each other's mirror images, so the other way would give another
// pattern at the same place. Content: the pattern's name.
void ReadPatchCode(const RunRow& row, std::vector<LineRead>& out);

// A patch is read from the page edge it lies nearer to, across its bars
// towards the middle of the page, as a sheet fed with that edge first is
// read: whichever way the page is turned, a patch gives one name. Turns the
// Patch Code findings that were read towards their nearer edge around (the
// mirror pattern, the corners from the other end).
void ReadPatchesFromTheirEdge(std::vector<Finding>& findings, double pageWidth, double pageHeight);

}  // namespace vexo::engine
