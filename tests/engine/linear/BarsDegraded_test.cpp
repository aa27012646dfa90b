// Photographed, faxed and scanned sheets of our own width-based symbologies
// (MSI, Code 11, Code S25, Pharma Code), drawn from fixed seeds and spoiled one way each:
// at least as many read as today, and no misread.
//
// The default run reads two sheets of sixteen symbols per degradation; with
// VELMORA_LONG_TESTS=1 in the environment it reads ten.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

constexpr int kShortSheets = 2;
constexpr int kLongSheets = 10;

struct BarsDegradationRow {
  Degradation degradation;
  UInt32 seed;       // of the first sheet; the next ones count up from it
  int minReads;      // of the 32 symbols of the default run: what is read today
  int minReadsLong;  // of the 160 of the long run
};
void PrintTo(const BarsDegradationRow& r, std::ostream* os) { *os << r.degradation.name; }

// The sheet is 2240 x 1600 pixels at 300 dpi; modules are 2 or 3 pixels. At
// 200 dpi a 2-pixel module becomes 1.3 pixels, which thresholding makes one
// or two: the fax row reads about half.
const BarsDegradationRow kTable[] = {
    {{"Blur", "-blur 0x1.0", "png"}, 9001, 31, 151},
    {{"Noise", "-seed {seed} -attenuate 1.0 +noise Gaussian", "png"}, 9101, 28, 145},
    {{"Jpeg30", "-quality 30", "jpg"}, 9301, 30, 155},
    {{"Skew3", "-background white -rotate 3", "png"}, 9401, 29, 151},
    {{"FaxG4", "-filter Triangle -resize 66.667% -density 200 -threshold 50% -compress Group4",
      "tif"},
     9601,
     17,
     82},
};

class BarsDegradedScans : public testing::TestWithParam<BarsDegradationRow> {};

TEST_P(BarsDegradedScans, ReadAsOftenAsBeforeWithoutMisreads) {
  const BarsDegradationRow& row = GetParam();
  const int sheets = LongRun() ? kLongSheets : kShortSheets;
  Tally ours;
  std::size_t drawn = 0;
  std::string missed;
  for (int s = 0; s < sheets; ++s) {
    const UInt32 seed = row.seed + UInt32(s);
    const CorpusSheet sheet = MakeBarsSheet(seed);
    const std::vector<UInt8> file = DegradedFile(sheet.page, row.degradation, seed);
    ASSERT_FALSE(file.empty());
    drawn += sheet.contents.size();
    EngineSession session(file);
    FindArgs args;
    args.codes = kEveryGroup;
    args.directions = kHorizontal | kVertical | kDiagonal;
    std::vector<std::string> found;
    for (const Record& r : session.Find(args).records) found.push_back(r.content);
    ours.Add(Count(found, sheet.contents));
    for (const std::string& content : sheet.contents) {
      if (std::find(found.begin(), found.end(), content) == found.end()) missed += " " + content;
    }
  }
  std::cout << row.degradation.name << ": seeds " << row.seed << ".." << row.seed + sheets - 1
            << ", " << drawn << " symbols; engine read " << ours.read << " (misread "
            << ours.misreads.size() << "); missed" << missed << std::endl;
  EXPECT_EQ(ours.misreads, std::vector<std::string>{});
  EXPECT_GE(ours.read, LongRun() ? row.minReadsLong : row.minReads);
}

INSTANTIATE_TEST_SUITE_P(Table, BarsDegradedScans, testing::ValuesIn(kTable),
                         [](const auto& p) { return std::string(p.param.degradation.name); });

}  // namespace
}  // namespace vexo::test
