#pragma once
// Our reader of the postal codes (Post Net, Planet, Australia Post, RM4SCC,
// USPS4BC): the bar-height scanner finds and classifies rows of bars, one
// decoder per symbology reads the bar states.

#include <span>
#include <vector>

#include "engine/bars/BarHeights.h"
#include "engine/core/ViewReader.h"

namespace vexo::engine {

// A postal decoder: the content of the bars in reading order, or false.
using PostalDecoder = bool (*)(std::span<const BarState> bars, std::vector<UInt8>& content);

// The decoder of a postal symbology; null for any other.
PostalDecoder PostalDecoderOf(Symbology symbology);

// Reads every postal symbol of the wanted symbologies in the view: along its
// rows, and along its columns too with `tryRotate`; each row of bars in both
// directions. Never throws.
std::vector<Detection> ReadPostal(const LumaView& view, const ViewSettings& settings);

// The reader's entry in the engine's reader list.
ViewReader PostalViewReader();

}  // namespace vexo::engine
