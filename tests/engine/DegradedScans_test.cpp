// Photographed, faxed and scanned pages: sheets of symbols drawn from fixed
// seeds, spoiled one way each, must be read at least as often as today and
// at least as often as the zxing-cpp command-line reader reads them, with no
// misread. Pages without symbols must give nothing.
//
// The default run reads two sheets of twelve symbols per degradation; with
// VELMORA_LONG_TESTS=1 in the environment it reads ten.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "engine/core/Status.h"
#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

constexpr int kShortSheets = 2;
constexpr int kLongSheets = 10;

struct DegradationRow {
  Degradation degradation;
  UInt32 seed;       // of the first sheet; the next ones count up from it
  int minReads;      // of the 24 symbols of the default run: what is read today
  int minReadsLong;  // of the 120 of the long run
  UInt32 profile = 0;
};
void PrintTo(const DegradationRow& r, std::ostream* os) { *os << r.degradation.name; }

// The sheet is 2240 x 1200 pixels at 300 dpi; modules are 2 to 5 pixels.
const DegradationRow kTable[] = {
    {{"Blur", "-blur 0x1.0", "png"}, 7001, 24, 114},
    {{"Noise", "-seed {seed} -attenuate 1.0 +noise Gaussian", "png"}, 7101, 24, 120},
    {{"LowContrast", "+level 38%,62%", "png"}, 7201, 22, 113},
    {{"Jpeg30", "-quality 30", "jpg"}, 7301, 24, 120},
    {{"Skew3", "-background white -rotate 3", "png"}, 7401, 22, 115},
    {{"Perspective",
      "-virtual-pixel white -distort Perspective "
      "'0,0 40,30 2239,0 2190,0 0,1199 0,1160 2239,1199 2200,1199'",
      "png"},
     7501,
     23,
     114},
    {{"FaxG4", "-filter Triangle -resize 66.667% -density 200 -threshold 50% -compress Group4",
      "tif"},
     7601,
     19,
     96},
    // The thorough profile reads the negative and the mirror image too.
    {{"Inverted", "-negate", "png"}, 7701, 24, 118, 2},
    {{"Mirrored", "-flop", "png"}, 7801, 24, 118, 2},
    // Modules of 1.2 to 3 pixels turned by 3 degrees: small Aztec and
    // Datamatrix crops are read again upright and enlarged.
    {{"SmallSkewed", "-filter Triangle -resize 60% -background white -rotate 3 -blur 0x0.5", "png"},
     7901,
     9,
     87,
     2},
    // Modules of 1.2 to 3 pixels on grey paper under a scan's blur and
    // noise: small blobs and bar crops read again enlarged and sharpened,
    // bars restored from their whole height.
    {{"SmallGrey",
      "-filter Triangle -resize 60% +level 0%,78% -blur 0x0.8 -seed {seed} -attenuate 0.4 "
      "+noise Gaussian",
      "png"},
     8101,
     10,
     49},
    // Modules of 1.5 to 2.25 pixels on grey paper under a heavier blur,
    // where the narrowest bars keep a few percent of their contrast: bar
    // crops restored from the whole height of their bars.
    {{"SmallBlurred",
      "-filter Triangle -resize 75% +level 0%,78% -blur 0x1.2 -seed {seed} -attenuate 0.6 "
      "+noise Gaussian",
      "png"},
     8301,
     8,
     43},
    // Modules of 1.2 to 3 pixels photographed by a phone: light falling
    // to half across the sheet, a slight perspective, blur, noise and JPEG.
    // Blobs are searched and cut on the sheet evened, and the restored bars
    // are drawn with edges between samples too.
    {{"SmallPhone",
      "-filter Triangle -resize 60% \\( -size 1344x720 gradient:white-gray50 -rotate 90 "
      "-resize 1344x720! \\) -compose Multiply -composite -virtual-pixel edge -distort "
      "Perspective '0,0 30,20 1343,0 1310,8 0,719 12,700 1343,719 1320,705' -blur 0x0.8 "
      "-seed {seed} -attenuate 0.4 +noise Gaussian -quality 75",
      "jpg"},
     8401,
     13,
     62},
    // A fax sent at 200 dpi with dithering: bars of one or two pixels in
    // dots, averaged along the bars in the enlarged bar crops. The long run
    // shows one EAN-13 misread by the library (and by ZXingReader) on the
    // dithered bars, with or without the enlarged crops. Its EAN/UPC are no
    // longer read by the small-bar views of a bilevel crop (they misread
    // faxed EAN/UPC of 2-pixel modules): 20 to 19, 101 to 95.
    {{"FaxDithered", "-filter Triangle -resize 66.667% -density 200 -monochrome -compress Group4",
      "tif"},
     8201,
     19,
     95},
    // A phone photo: larger modules, perspective, light falling off, blur,
    // noise and JPEG, read by the default profile with its reduced copies.
    {{"Photo",
      "-filter Triangle -resize 150% -virtual-pixel white -distort Perspective "
      "'0,0 70,45 3359,0 3280,0 0,1799 0,1740 3359,1799 3300,1799' "
      "\\( -size 3360x1800 gradient:white-gray50 \\) -compose Multiply -composite "
      "-blur 0x1.5 -seed {seed} -attenuate 0.5 +noise Gaussian -quality 80",
      "jpg"},
     8001,
     12,
     78},
};

class DegradedScans : public testing::TestWithParam<DegradationRow> {};

TEST_P(DegradedScans, ReadAsOftenAsBeforeAndAsTheReferenceReader) {
  const DegradationRow& row = GetParam();
  const int sheets = LongRun() ? kLongSheets : kShortSheets;
  Tally ours, reference;
  bool referenceRan = true;
  std::size_t drawn = 0;
  for (int s = 0; s < sheets; ++s) {
    const UInt32 seed = row.seed + UInt32(s);
    const CorpusSheet sheet = MakeCorpusSheet(seed);
    const std::vector<UInt8> file = DegradedFile(sheet.page, row.degradation, seed);
    ASSERT_FALSE(file.empty());
    drawn += sheet.contents.size();
    EngineSession session(file);
    FindArgs args;
    args.codes = kEveryGroup;
    args.directions = kHorizontal | kVertical | kDiagonal;
    args.profile = row.profile;
    std::vector<std::string> found;
    for (const Record& r : session.Find(args).records) found.push_back(r.content);
    ours.Add(Count(found, sheet.contents));
    if (const auto theirs = ZxingReaderContents(file, row.degradation.extension)) {
      reference.Add(Count(*theirs, sheet.contents));
    } else {
      referenceRan = false;
    }
  }
  std::cout << row.degradation.name << ": seeds " << row.seed << ".." << row.seed + sheets - 1
            << ", " << drawn << " symbols; engine read " << ours.read << " (misread "
            << ours.misreads.size() << ")";
  if (referenceRan) {
    std::cout << ", ZXingReader -noscale read " << reference.read << " (misread "
              << reference.misreads.size() << ")";
  }
  std::cout << std::endl;
  EXPECT_EQ(ours.misreads, std::vector<std::string>{});
  EXPECT_GE(ours.read, LongRun() ? row.minReadsLong : row.minReads);
  if (referenceRan) {
    EXPECT_GE(ours.read, reference.read);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DegradedScans, testing::ValuesIn(kTable),
                         [](const auto& p) { return std::string(p.param.degradation.name); });

struct BlankCase {
  const char* name;
  UInt32 seed;
  bool photo;  // else text-like marks
};
void PrintTo(const BlankCase& c, std::ostream* os) { *os << c.name; }

class PagesWithoutSymbols : public testing::TestWithParam<BlankCase> {};

TEST_P(PagesWithoutSymbols, GiveNothing) {
  const BlankCase& c = GetParam();
  EngineSession session(c.photo ? PhotoLikeFile(c.seed) : EncodePng(TextLikePage(c.seed)));
  FindArgs args;
  args.codes = kEveryGroup;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  EXPECT_EQ(outcome.status, engine::kStatusNothingFound);
  EXPECT_EQ(outcome.records.size(), 0u) << Describe(outcome.records);
}

INSTANTIATE_TEST_SUITE_P(Pages, PagesWithoutSymbols,
                         testing::Values(BlankCase{"TextLike11", 11, false},
                                         BlankCase{"TextLike12", 12, false},
                                         BlankCase{"PhotoLike21", 21, true},
                                         BlankCase{"PhotoLike22", 22, true}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
