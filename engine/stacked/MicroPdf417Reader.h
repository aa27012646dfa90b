#pragma once
// Micro PDF417 (ISO/IEC 24728): finds and reads the symbols of a view. Rows
// of the view are scanned (and its columns with tryRotate), each in both
// directions, for symbol rows between their row address patterns; the rows
// found are joined into symbols. Upright, upside down and mirrored symbols
// read on rows, those a quarter turn away on columns.

#include "engine/core/ViewReader.h"

namespace vexo::engine {

ViewReader MicroPdf417ViewReader();

}  // namespace vexo::engine
