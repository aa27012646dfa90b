// QR Code finder patterns found at full resolution and the crops around the
// symbols they frame; and small QR Codes in a large photo, which the crops
// around their finders read.

#include "engine/core/QrFinders.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/SymbolSheets.h"

namespace vexo::test {
namespace {

using engine::CropsAroundFinders;
using engine::FinderCrop;
using engine::FindFinderMarks;
using engine::LumaView;

engine::LumaView ViewOfGray(const Gray& g) { return {g.pixels.data(), g.width, g.height, g.width}; }

struct FinderCase {
  const char* name;
  const char* data;
  double scale;    // zint scale: a module is 2 * scale pixels
  double degrees;  // turned clockwise
};
void PrintTo(const FinderCase& c, std::ostream* os) { *os << c.name; }

const FinderCase kFinderCases[] = {
    {"Version1Module3", "QF-1", 1.5, 0},
    {"Version1Module2Turned20", "QF-2", 1, 20},
    {"Version3Module4Turned45", "QF-3 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", 2, 45},
    {"Version2Module3Turned10", "QF-4 0123456789ABCD", 1.5, 10},
    {"Version5Module6Turned15", "QF-6 THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789", 3,
     15},
};

class QrFinderMarks : public testing::TestWithParam<FinderCase> {};

// One symbol at the centre of a white page: its three finders are found, and
// one crop holds the page's centre at about the symbol's module size.
TEST_P(QrFinderMarks, CropHoldsTheSymbol) {
  const FinderCase& c = GetParam();
  const Gray& symbol = DrawnSymbol(std::string("QRCODE -d '") + c.data + "'", c.scale);
  Gray page = Gray::White(symbol.width * 3, symbol.height * 3);
  Place(page, symbol, symbol.width, symbol.height);
  if (c.degrees != 0) page = TurnedBy(page, c.degrees);
  const auto marks = FindFinderMarks(ViewOfGray(page), 2);
  EXPECT_GE(marks.size(), 3u);
  const double module = 2 * c.scale;
  bool held = false;
  for (const FinderCrop& crop : CropsAroundFinders(marks)) {
    const double cx = page.width / 2.0, cy = page.height / 2.0;
    held = held || (cx > crop.left && cx < crop.left + crop.width && cy > crop.top &&
                    cy < crop.top + crop.height && crop.module > 0.7 * module &&
                    crop.module < 1.4 * module);
  }
  EXPECT_TRUE(held);
}

INSTANTIATE_TEST_SUITE_P(Table, QrFinderMarks, testing::ValuesIn(kFinderCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Word-like marks in lines hold no finder pattern of a symbol: no crop.
TEST(QrFinderMarks, TextMakesNoCrop) {
  for (UInt32 seed : {3u, 4u}) {
    const Gray page = TextLikePage(seed);
    EXPECT_EQ(CropsAroundFinders(FindFinderMarks(ViewOfGray(page), 2)).size(), 0u) << seed;
  }
}

struct PhotoCase {
  const char* name;
  Int32 columns, rows;
  const char* spoil;  // ImageMagick options: the sheet as a phone photographs it
  UInt32 seed;
  int minReads;          // of columns x rows: what is read today
  bool longRun = false;  // a photo of over 2 megapixels: VELMORA_LONG_TESTS=1 only
};
void PrintTo(const PhotoCase& c, std::ostream* os) { *os << c.name; }

// Sheets of version 1 symbols made a large photo: their modules shrink to 2
// to 3 pixels under a turn, blur, noise and JPEG, where the reduced copies
// and the blob crops read few of them.
const PhotoCase kPhotoCases[] = {
    {"Modules2Point8Turned17", 10, 6,
     "-filter Triangle -resize 140% -background white -rotate 17 -blur 0x1.2 +level 8%,92% "
     "-seed {seed} -attenuate 0.5 +noise Gaussian -quality 80",
     31, 25},
    // One code of 2.3-pixel modules seen from a few metres: read only by the
    // sharpened third read of its finder crop.
    {"OneCodeModules2Point3Turned25", 1, 1,
     "-filter Triangle -resize 115% -background grey75 -gravity center -extent 1700x1250 "
     "-rotate 25 -blur 0x1 -seed {seed} -attenuate 0.4 +noise Gaussian -quality 75",
     7, 1, true},
};

class SmallQrInPhoto : public testing::TestWithParam<PhotoCase> {};

TEST_P(SmallQrInPhoto, ReadWithoutMisreads) {
  const PhotoCase& c = GetParam();
  if (c.longRun && !LongRun()) GTEST_SKIP() << "runs with VELMORA_LONG_TESTS=1";
  const Sheet sheet = MakeSheet(SheetKind::kQrSheet, c.columns, c.rows, 6);
  const std::vector<UInt8> file = DegradedFile(sheet.page, {c.name, c.spoil, "jpg"}, c.seed);
  ASSERT_FALSE(file.empty());
  EngineSession session(file);
  FindArgs args;
  args.codes = {kQrSearch};
  std::vector<std::string> drawn, found;
  for (const SheetSymbol& s : sheet.symbols) drawn.push_back(s.content);
  for (const Record& r : session.Find(args).records) found.push_back(r.content);
  const Tally tally = Count(found, drawn);
  std::cout << c.name << ": read " << tally.read << " of " << drawn.size() << std::endl;
  EXPECT_EQ(tally.misreads, std::vector<std::string>{});
  EXPECT_GE(tally.read, c.minReads);
}

INSTANTIATE_TEST_SUITE_P(Table, SmallQrInPhoto, testing::ValuesIn(kPhotoCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
