#pragma once
// The table of our row decoders: one entry per symbology that the bars
// reader reads. Adding a width-based symbology is one entry here and its
// decoder pair beside this file.

#include "engine/bars/BarsReader.h"

namespace vexo::engine {

const RowDecoderTable& RowDecoders();

}  // namespace vexo::engine
