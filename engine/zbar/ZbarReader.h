#pragma once
// The second reader of the retail and industrial linear symbologies, with
// the zbar library: its scanner cuts bars by the slope of the luminance along
// each line, which holds on damaged bars, short quiet zones and curved or
// blurred photos where the first reader's binarized lines break up. It reads
// only where the readers before it found nothing in the same view
// (ReaderEntry::secondInPasses).

#include <vector>

#include "engine/core/ViewReader.h"

namespace vexo::engine {

// The symbologies this reader reads (a subset of the first reader's).
SymbologySet ZbarSymbologies();

// Every symbol of the wanted symbologies zbar reads in the view, its content
// as the first reader reports it, its corners the box of the lines that
// crossed it in its reading frame. Never throws.
std::vector<Detection> ReadWithZbar(const LumaView& view, const ViewSettings& settings);

// The reader's entry in the engine's reader list, and the passes it reads in.
ViewReader ZbarViewReader();
std::vector<PassKind> ZbarPasses();

}  // namespace vexo::engine
