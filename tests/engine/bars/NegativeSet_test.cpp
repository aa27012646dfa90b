// Pages without a symbol of ours (text, tables, dithered photographs,
// halftone screens, hatching, noise, sheets of the library's symbologies)
// give no record of a symbology that a reader of ours reads (the bars,
// postal, stacked DataBar and Micro PDF417 readers), in any profile and with
// any set of directions. Each read asks for all of them at once.
//
// The default run reads each page in every profile with one direction set,
// a different one per page and profile, so that the pages together try every
// pair; with VELMORA_LONG_TESTS=1 every page tries every pair.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "engine/core/Symbology.h"
#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/NegativePages.h"

namespace vexo::test {
namespace {

// The readers of ours, one row each.
constexpr engine::ReaderKind kOurReaders[] = {
    engine::ReaderKind::Bars,
    engine::ReaderKind::Postal,
    engine::ReaderKind::StackedDataBar,
    engine::ReaderKind::MicroPdf417,
};

// Every symbology of our readers, as search codes.
std::vector<UInt32> OurCodes() {
  std::vector<UInt32> codes;
  for (std::size_t i = 0; i < engine::kSymbologyCount; ++i) {
    const engine::SymbologyInfo& info = engine::Info(static_cast<engine::Symbology>(i));
    if (std::find(std::begin(kOurReaders), std::end(kOurReaders), info.reader) !=
        std::end(kOurReaders)) {
      codes.push_back(info.code);
    }
  }
  return codes;
}

constexpr UInt32 kDirectionSets[] = {0x20, 0x40, 0x80, 0x60, 0xA0, 0xC0, 0xE0};
constexpr std::size_t kDirectionSetCount = sizeof kDirectionSets / sizeof kDirectionSets[0];
constexpr UInt32 kProfiles = 4;

class NegativeSet : public testing::TestWithParam<NegativePage> {};

TEST_P(NegativeSet, NoRecordInAnyProfileOrDirection) {
  const std::vector<UInt8> file = NegativePageFile(GetParam());
  ASSERT_FALSE(file.empty());
  EngineSession session(file);
  const std::size_t page = static_cast<std::size_t>(
      std::find_if(NegativePages().begin(), NegativePages().end(),
                   [&](const NegativePage& p) { return p.name == GetParam().name; }) -
      NegativePages().begin());
  for (UInt32 profile = 0; profile < kProfiles; ++profile) {
    for (std::size_t d = 0; d < kDirectionSetCount; ++d) {
      if (!LongRun() && d != (page + profile) % kDirectionSetCount) continue;
      const UInt32 directions = kDirectionSets[d];
      FindArgs args;
      args.codes = OurCodes();
      args.profile = profile;
      args.directions = directions;
      const FindOutcome outcome = session.Find(args);
      EXPECT_EQ(outcome.records.size(), 0u)
          << "profile " << profile << ", directions 0x" << std::hex << directions << "\n"
          << Describe(outcome.records);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, NegativeSet, testing::ValuesIn(NegativePages()),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
