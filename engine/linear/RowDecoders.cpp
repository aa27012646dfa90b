#include "engine/linear/RowDecoders.h"

#include "engine/linear/Code11.h"
#include "engine/linear/DataBarLimited.h"
#include "engine/linear/Msi.h"
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
  };
  return table;
}

}  // namespace vexo::engine
