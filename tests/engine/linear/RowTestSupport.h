#pragma once
// Run rows for the decoder tests: written out in modules, or taken from the
// module rows that `zint --dump` prints; one table row per case.

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "engine/bars/RunRow.h"

namespace vexo::test {

// A row of runs given in modules ("2112..." begins with a bar; spaces are
// for the reader), `module` pixels each, between light quiet zones of
// `quiet` modules. Ink spread widens every bar and narrows every space by
// `spread` pixels.
engine::RunRow RowOfModules(const std::string& runs, float module, float quiet = 12,
                            float spread = 0);

// The run lengths (in modules, from the first bar) of the symbol zint draws
// with `-b <args>`; empty when zint fails.
std::string ZintRuns(const std::string& args);

// The contents the decoder reads on the row, "<" before a reversed one.
std::vector<std::string> Contents(engine::RowDecoder decoder, const engine::RunRow& row);

// One case of a decoder's table, at 3 pixels a module.
struct DecoderRow {
  const char* name;
  // "zint ARGS": the module rows of `zint -b ARGS`; else runs in modules.
  const char* runs;
  std::vector<std::string> expected;  // "<" before a reversed read
  bool reversed = false;              // the row read from its end
  float quiet = 10;                   // modules on both sides
  float spread = 0;                   // ink spread, pixels
  const char* before = "";            // runs (from a bar) ahead of the quiet zone
  float unit = 1;                     // modules per unit of `runs`
};
void PrintTo(const DecoderRow& row, std::ostream* os);

// What `decoder` reads on the row the case describes.
std::vector<std::string> ReadDecoderRow(engine::RowDecoder decoder, const DecoderRow& row);

// A check rule on contents: each content verifies or not as given.
struct CheckCase {
  const char* content;
  bool verifies;
};
void ExpectChecks(bool (*rule)(const std::vector<UInt8>&), std::initializer_list<CheckCase> cases);

}  // namespace vexo::test
