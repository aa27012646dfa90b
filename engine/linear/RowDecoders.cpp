#include "engine/linear/RowDecoders.h"

#include "engine/linear/Code11.h"
#include "engine/linear/DataBarLimited.h"
#include "engine/linear/Msi.h"
#include "engine/linear/PatchCode.h"
#include "engine/linear/Pharmacode.h"
#include "engine/linear/Standard2of5.h"

namespace vexo::engine {

const RowDecoderTable& RowDecoders() {
  static const RowDecoderTable table{
      {Symbology::Msi, ReadMsi, MsiCheckVerifies},
      {Symbology::Code11, ReadCode11, Code11CheckVerifies},
      // No check digit: read alike on every line across it, or not at all.
      {Symbology::Standard2of5, ReadStandard2of5, NeverChecked},
      // Its checksum always verifies; its bars are only about 10 modules
      // high on a 79-module symbol; a line through it holds at least 46 runs.
      {Symbology::DataBarLimited, ReadDataBarLimited, nullptr, 0.1f, 46},
      // No check either; the decoder bounds the bars' height by their
      // spaces (ReadPharmacode), and every line across them must read them.
      // Three bars and their quiet zones: 7 runs.
      {Symbology::PharmaCode, ReadPharmacode, NeverChecked, 0.15f, 7, true},
      // No check; its bars (2.5 in) are three times as long as the patch is
      // wide (0.8 in): at least twice. Four bars and two quiet zones: 9 runs.
      {Symbology::PatchCode, ReadPatchCode, NeverChecked, 2.0f, 9},
  };
  return table;
}

}  // namespace vexo::engine
