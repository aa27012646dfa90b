#pragma once
// Pages that hold no barcode but marks a bar reader might take for bars:
// rows of dots, dashed lines, text, underlined text, table rules, halftone.
// Every reader must report nothing on them. Drawn at test time (our own
// drawing, ImageMagick for text and halftone).

#include <vector>

#include "tests/engine/SymbolImages.h"

namespace vexo::test {

#include <string>

// The names of the pages (nothing is drawn).
std::vector<std::string> NegativePageNames();
// The page of that name, drawn on each call; empty for an unknown name.
Gray NegativePage(const std::string& name);

}  // namespace vexo::test
