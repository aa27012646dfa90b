// Degraded DataBar sheets: symbols of one kind with contents drawn from a
// seed, spoiled the way photographs, faxes and scans spoil them (the
// degradations of the degraded-scan table), read through the engine: at least
// as many as today, and no misread.

#include <gtest/gtest.h>

#include <random>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

constexpr Int32 kColumns = 3, kRows = 2;  // symbols on a sheet
constexpr Int32 kCellWidth = 700, kCellHeight = 420;

struct DataBarKind {
  const char* name;
  const char* zint;  // type and options; the content follows
  bool expanded;     // element string content, else a GTIN
};
const DataBarKind kStackedKind{"Stacked", "DBAR_STK", false};
const DataBarKind kStackedOmniKind{"StackedOmni", "DBAR_OMNSTK", false};
const DataBarKind kExpandedStackedKind{"ExpandedStacked", "DBAR_EXPSTK --cols=2 --gs1", true};
const DataBarKind kLimitedKind{"Limited", "DBAR_LTD", false};
const DataBarKind kOmniKind{"Omni", "DBAR_OMN --notext", false};
const DataBarKind kTruncatedKind{"Truncated", "DBAR_OMN --notext --height=13", false};
const DataBarKind kExpandedKind{"Expanded", "DBAR_EXP --notext --gs1", true};

std::string GtinContent(const std::string& digits13) {
  int sum = 0;
  for (int k = 0; k < 13; ++k) sum += (digits13[std::size_t(12 - k)] - '0') * (k % 2 == 0 ? 3 : 1);
  return "01" + digits13 + char('0' + (10 - sum % 10) % 10);
}

// A sheet of one kind: six symbols, modules of 2 or 3 pixels.
CorpusSheet DataBarSheet(const DataBarKind& kind, UInt32 seed) {
  std::mt19937 random(seed);
  CorpusSheet sheet{Gray::White(kColumns * kCellWidth, kRows * kCellHeight), {}};
  for (Int32 i = 0; i < kColumns * kRows; ++i) {
    std::string digits;
    for (int k = 0; k < 13; ++k) digits += char('0' + random() % 10);
    digits[0] = '0';
    std::string input = digits, content = GtinContent(digits);
    if (kind.expanded) {
      const std::string lot = std::to_string(random() % 100000);
      input = "'[01]" + content.substr(2) + "[10]" + lot + "'";
      content += "10" + lot;
    }
    const Gray symbol =
        DrawSymbol(std::string(kind.zint) + " -d " + input, random() % 2 ? 1.0 : 1.5);
    Place(sheet.page, symbol, (i % kColumns) * kCellWidth + 60, (i / kColumns) * kCellHeight + 60);
    sheet.contents.push_back(content);
  }
  return sheet;
}

struct DegradedRow {
  const char* name;
  const DataBarKind* kind;
  Degradation degradation;
  UInt32 seed;
  int minReads;  // of six
};
void PrintTo(const DegradedRow& r, std::ostream* os) { *os << r.name; }

const Degradation kBlur{"Blur", "-blur 0x1.0", "png"};
const Degradation kNoise{"Noise", "-seed {seed} -attenuate 1.0 +noise Gaussian", "png"};
const Degradation kJpeg30{"Jpeg30", "-quality 30", "jpg"};
const Degradation kLowContrast{"LowContrast", "+level 38%,62%", "png"};
const Degradation kSkew3{"Skew3", "-background white -rotate 3", "png"};
const Degradation kFaxG4{
    "FaxG4", "-filter Triangle -resize 66.667% -density 200 -threshold 50% -compress Group4",
    "tif"};

const DegradedRow kTable[] = {
    {"StackedBlur", &kStackedKind, kBlur, 8001, 6},
    {"StackedNoise", &kStackedKind, kNoise, 8101, 6},
    {"StackedJpeg30", &kStackedKind, kJpeg30, 8201, 6},
    {"StackedOmniLowContrast", &kStackedOmniKind, kLowContrast, 8301, 6},
    {"StackedOmniSkew3", &kStackedOmniKind, kSkew3, 8401, 6},
    {"LimitedBlur", &kLimitedKind, kBlur, 8801, 6},
    {"LimitedNoise", &kLimitedKind, kNoise, 8901, 6},
    {"LimitedJpeg30", &kLimitedKind, kJpeg30, 9001, 6},
    {"LimitedFaxG4", &kLimitedKind, kFaxG4, 9101, 1},
    {"OmniBlur", &kOmniKind, kBlur, 9201, 6},
    {"OmniNoise", &kOmniKind, kNoise, 9301, 6},
    {"OmniSkew3", &kOmniKind, kSkew3, 9401, 6},
    {"OmniFaxG4", &kOmniKind, kFaxG4, 9451, 5},
    {"TruncatedJpeg30", &kTruncatedKind, kJpeg30, 9501, 6},
    {"TruncatedFaxG4", &kTruncatedKind, kFaxG4, 9601, 1},
    {"ExpandedNoise", &kExpandedKind, kNoise, 9701, 6},
    {"ExpandedFaxG4", &kExpandedKind, kFaxG4, 9751, 4},
    {"ExpandedLowContrast", &kExpandedKind, kLowContrast, 9801, 6},
    {"ExpandedStackedBlur", &kExpandedStackedKind, kBlur, 8501, 6},
    {"ExpandedStackedJpeg30", &kExpandedStackedKind, kJpeg30, 8601, 6},
    {"ExpandedStackedFaxG4", &kExpandedStackedKind, kFaxG4, 8701, 4},
};

class DataBarDegraded : public testing::TestWithParam<DegradedRow> {};

TEST_P(DataBarDegraded, ReadAsOftenAsBeforeWithoutMisreads) {
  const DegradedRow& row = GetParam();
  const CorpusSheet sheet = DataBarSheet(*row.kind, row.seed);
  const std::vector<UInt8> file = DegradedFile(sheet.page, row.degradation, row.seed);
  ASSERT_FALSE(file.empty());
  EngineSession session(file);
  FindArgs args;
  args.codes = {kAllLinear, 0x04000020, 0x04000040};  // the linear and stacked DataBar groups
  args.directions = kHorizontal | kVertical;
  std::vector<std::string> found;
  const FindOutcome outcome = session.Find(args);
  for (const Record& r : outcome.records) found.push_back(r.content);
  const Tally tally = Count(found, sheet.contents);
  std::cout << row.name << ": read " << tally.read << " of " << sheet.contents.size() << std::endl;
  EXPECT_EQ(tally.misreads, std::vector<std::string>{});
  EXPECT_GE(tally.read, row.minReads);
}

INSTANTIATE_TEST_SUITE_P(Sheets, DataBarDegraded, testing::ValuesIn(kTable),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
