// The zbar reader: each symbology it reads, upright and turned, comes out
// with the content the library's reader gives for the same symbol (so that
// the merge joins the two reads), its type and corners in reading order;
// nothing on the pages of the negative set.

#include "engine/zbar/ZbarReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/ImageTestSupport.h"
#include "tests/engine/NegativePages.h"

namespace vexo::test {
namespace {

using engine::Detection;
using engine::Symbology;

struct ZbarCase {
  const char* name;
  const char* zint;  // zint arguments after -b; no human-readable text
  Symbology symbology;
  const char* content;  // as the library reports it
  int rotate = 0;
};
void PrintTo(const ZbarCase& c, std::ostream* os) { *os << c.name; }

const ZbarCase kCases[] = {
    {"Ean13", "EANX --notext --guarddescent=0 -d 590123412345", Symbology::Ean13, "5901234123457"},
    {"Ean8", "EANX --notext --guarddescent=0 -d 9638507", Symbology::Ean8, "96385074"},
    {"UpcA", "UPCA --notext --guarddescent=0 -d 72527273070", Symbology::UpcA, "725272730706"},
    {"UpcE", "UPCE --notext --guarddescent=0 -d 123456", Symbology::UpcE, "01234565"},
    {"Code39", "CODE39 --notext -d ABC-1234", Symbology::Code39, "ABC-1234"},
    {"Code128", "CODE128 --notext -d 'Lot 42/b'", Symbology::Code128, "Lot 42/b"},
    {"Interleaved2of5", "C25INTER --notext -d 12345678", Symbology::Interleaved2of5, "12345678"},
    {"Codabar", "CODABAR --notext -d A40156B", Symbology::Codabar, "A40156B"},
    {"Code93", "CODE93 --notext -d CODE-93", Symbology::Code93, "CODE-93"},
    {"Code128Turned90", "CODE128 --notext -d TURNED", Symbology::Code128, "TURNED", 90},
    {"Ean13Turned180", "EANX --notext --guarddescent=0 -d 590123412345", Symbology::Ean13,
     "5901234123457", 180},
    {"Code39Turned270", "CODE39 --notext -d ABC-1234", Symbology::Code39, "ABC-1234", 270},
};

class ZbarRead : public testing::TestWithParam<ZbarCase> {};

TEST_P(ZbarRead, ContentTypeAndCornersAsTheLibrary) {
  const ZbarCase& c = GetParam();
  const Gray symbol = DrawSymbol(c.zint, 1.0);
  Corners expected = DarkCorners(symbol);
  const Gray page = OnPage(symbol, c.rotate, &expected);
  engine::ViewSettings settings = Wanting({c.symbology});
  settings.tryRotate = true;
  const engine::LumaView view{page.pixels.data(), page.width, page.height, page.width};
  const std::vector<Detection> found = engine::ReadWithZbar(view, settings);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].symbology, c.symbology);
  EXPECT_EQ(found[0].code, engine::Info(c.symbology).code);
  EXPECT_EQ(found[0].content, Bytes(c.content));
  ExpectCorners(found[0], expected, 4.0);
  const std::vector<Detection> library = Read(page, settings);
  ASSERT_EQ(library.size(), 1u);
  EXPECT_EQ(library[0].content, found[0].content);
}

INSTANTIATE_TEST_SUITE_P(Symbologies, ZbarRead, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Photographs of linear symbols from bench/linear-photos.py (the same
// drawing, its parameters written out) that the worker read only with zbar:
// a frame and text touching the bars, a torn and faded corner, a curved
// label, glare, heavy JPEG. The whole worker reads them in its default
// profile, each symbol once.
struct PhotoCase {
  const char* name;
  const char* zint;   // -b arguments
  const char* label;  // ImageMagick options from the zint image to the label
  // The label on a photo-like background: placement, then light and lens.
  const char* scene;
  const char* content;
};

constexpr const char* kPlasma =
    "-size 320x240 -seed {seed} plasma:grey60-grey90 -blur 0x1.5 "
    "-resize '1280x960!' -colorspace Gray";
constexpr const char* kLight =
    "\\( -size 960x1280 gradient:grey100-grey55 -rotate {light} "
    "-resize '1280x960!' \\) -compose Multiply -composite -compose Over";

const struct PhotoRow {
  PhotoCase c;
  int seed, light;
} kPhotos[] = {
    {{"QuietZoneTouched", "UPCA -d 71988335029+51830",
      "-resize 101.6% -bordercolor white -border 2 -bordercolor black -border 2 -gravity West "
      "-splice 60x0 -font DejaVu-Sans-Bold -pointsize 22 -annotate +2+0 NET",
      "-fill grey57 -draw 'rectangle 61,722 1195,943' \\( {label} -rotate -8.32 \\) "
      "-geometry +342+246 -composite -virtual-pixel edge "
      "-distort Perspective '0,0 52,66 1280,0 1216,52 1280,960 1222,932 0,960 78,901' {light} "
      "-blur 0x0.62 -seed {seed} -attenuate 0.21 +noise Gaussian -colorspace Gray -quality 85",
      "719883350293"},
     1004,
     -90},
    {{"TornAndFaded", "EANX -d 955265810625+56",
      "-resize 132.2% -bordercolor white -border 10% -fill white -stroke none "
      "-draw 'polygon 0,0 57,0 0,60' +level 39%,91%",
      "-fill grey79 -draw 'rectangle 26,665 965,881' \\( {label} -rotate 9.01 \\) "
      "-geometry +116+125 -composite -virtual-pixel edge "
      "-distort Perspective '0,0 59,34 1280,0 1192,35 1280,960 1248,922 0,960 33,924' {light} "
      "-blur 0x0.62 -seed {seed} -attenuate 0.33 +noise Gaussian -colorspace Gray -quality 85",
      "9552658106258"},
     1061,
     200},
    {{"CurvedLabel", "UPCA -d 62079407829+93154",
      "-resize 113.1% -bordercolor white -border 10% -virtual-pixel white "
      "-distort Barrel '0 0 0.126 1' -distort Arc 19",
      "-fill grey31 -draw 'rectangle 275,795 1164,938' \\( {label} -rotate -8.73 \\) "
      "-geometry +424+90 -composite -virtual-pixel edge "
      "-distort Perspective '0,0 48,20 1280,0 1214,59 1280,960 1239,911 0,960 75,902' {light} "
      "-blur 0x0.5 -seed {seed} -attenuate 0.38 +noise Gaussian -colorspace Gray -quality 85",
      "620794078292"},
     1076,
     -90},
    {{"Glare", "EANX -d 7391064", "-resize 125.7% -bordercolor white -border 10%",
      "-fill grey68 -draw 'rectangle 290,699 1070,936' \\( {label} -rotate 0.83 \\) "
      "-geometry +209+294 -composite \\( -size 1280x960 xc:black -fill white "
      "-draw 'circle 288,370 329,370' -blur 0x25 \\) -compose Screen -composite -compose Over "
      "-virtual-pixel edge "
      "-distort Perspective '0,0 56,49 1280,0 1249,54 1280,960 1236,913 0,960 31,920' {light} "
      "-blur 0x0.5 -seed {seed} -attenuate 0.3 +noise Gaussian -colorspace Gray -quality 85",
      "73910640"},
     1110,
     200},
    {{"HeavyJpeg", "CODE93 -d C93398028 --height 40",
      "-resize 156.2% -bordercolor white -border 10%",
      "-fill grey42 -draw 'rectangle 187,698 957,868' \\( {label} -rotate 2.63 \\) "
      "-geometry +172+190 -composite -virtual-pixel edge "
      "-distort Perspective '0,0 40,53 1280,0 1204,45 1280,960 1253,933 0,960 68,896' {light} "
      "-blur 0x0.81 -seed {seed} -attenuate 0.64 +noise Gaussian -colorspace Gray -quality 23",
      "C93398028"},
     1118,
     -90},
    // Read since zbar scans lines averaged along the bars (motion blur), and
    // those lines relative to the light around them (glare).
    {{"MotionBlur", "UPCA -d 88537787605", "-resize 130.1% -bordercolor white -border 10%",
      "-fill grey71 -draw 'rectangle 116,774 975,919' \\( {label} -rotate 0.06 \\) "
      "-geometry +231+253 -composite -motion-blur 0x5.0+125 -virtual-pixel edge "
      "-distort Perspective '0,0 57,36 1280,0 1209,40 1280,960 1226,940 0,960 47,918' {light} "
      "-blur 0x0.69 -seed {seed} -attenuate 0.35 +noise Gaussian -colorspace Gray -quality 85",
      "885377876058"},
     1003,
     200},
    {{"GlareOverAddOn", "UPCA -d 98756254558+41532",
      "-resize 101.3% -bordercolor white -border 10%",
      "-fill grey35 -draw 'rectangle 76,672 845,948' \\( {label} -rotate -3.2 \\) "
      "-geometry +181+267 -composite \\( -size 1280x960 xc:black -fill white "
      "-draw 'circle 357,333 429,333' -blur 0x25 \\) -compose Screen -composite -compose Over "
      "-virtual-pixel edge "
      "-distort Perspective '0,0 59,43 1280,0 1233,66 1280,960 1246,929 0,960 77,925' {light} "
      "-blur 0x0.59 -seed {seed} -attenuate 0.33 +noise Gaussian -colorspace Gray -quality 85",
      "987562545586"},
     1088,
     45},
};
void PrintTo(const PhotoRow& r, std::ostream* os) { *os << r.c.name; }

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

class ZbarPhoto : public testing::TestWithParam<PhotoRow> {};

TEST_P(ZbarPhoto, ReadOnce) {
  const PhotoRow& row = GetParam();
  const TempDir dir;
  const std::string label = dir.File("label.png"), photo = dir.File("photo.jpg");
  std::string scene = Replaced(row.c.scene, "{light}", kLight);
  scene = Replaced(Replaced(scene, "{label}", label), "{seed}", std::to_string(row.seed));
  scene = Replaced(scene, "{light}", std::to_string(row.light));
  const std::string command =
      "zint -b " + std::string(row.c.zint) + " --scale 1 -o " + dir.File("raw.png") +
      " >/dev/null 2>&1 && convert " + dir.File("raw.png") + " -colorspace Gray -filter Triangle " +
      row.c.label + " " + label + " && convert " +
      Replaced(kPlasma, "{seed}", std::to_string(row.seed)) + " " + scene + " " + photo;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EngineSession session(engine::test::ReadBytes(photo));
  FindArgs args;
  args.codes = kEveryGroup;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  // Besides the symbol, only its add-on (the digits after '+') may come out.
  const std::string zint = row.c.zint;
  const std::size_t plus = zint.find('+');
  const std::string addOn =
      plus == std::string::npos ? "" : zint.substr(plus + 1, zint.find(' ', plus) - plus - 1);
  int reads = 0;
  for (const Record& r : outcome.records) {
    if (r.content == row.c.content) {
      ++reads;
    } else {
      EXPECT_EQ(r.content, addOn) << Describe(outcome.records);
    }
  }
  EXPECT_EQ(reads, 1) << Describe(outcome.records);
}

INSTANTIATE_TEST_SUITE_P(Photos, ZbarPhoto, testing::ValuesIn(kPhotos),
                         [](const auto& p) { return std::string(p.param.c.name); });

// The engine with the zbar reader's symbologies asked for, in every direction:
// the first reader finds nothing there either, so zbar reads every view of
// its passes. One profile per page, a different one from page to page (every
// profile with VELMORA_LONG_TESTS=1). The sheets of library symbols are the
// degraded-scan table's.
class ZbarNegative : public testing::TestWithParam<NegativePage> {};

TEST_P(ZbarNegative, NoRecordInAnyProfile) {
  if (GetParam().kind == NegativePage::kLibrarySymbols) GTEST_SKIP() << "holds symbols";
  const std::vector<UInt8> file = NegativePageFile(GetParam());
  ASSERT_FALSE(file.empty());
  EngineSession session(file);
  FindArgs args;
  args.codes.clear();
  for (std::size_t i = 0; i < engine::kSymbologyCount; ++i) {
    if (engine::ZbarSymbologies().test(i)) {
      args.codes.push_back(engine::Info(static_cast<Symbology>(i)).code);
    }
  }
  args.directions = kHorizontal | kVertical | kDiagonal;
  const std::vector<NegativePage>& pages = NegativePages();
  const auto page = static_cast<UInt32>(
      std::find_if(pages.begin(), pages.end(),
                   [&](const NegativePage& p) { return p.name == GetParam().name; }) -
      pages.begin());
  for (UInt32 profile = 0; profile < 4; ++profile) {
    if (!LongRun() && profile != page % 4) continue;
    args.profile = profile;
    const FindOutcome outcome = session.Find(args);
    EXPECT_EQ(outcome.records.size(), 0u) << "profile " << profile << "\n"
                                          << Describe(outcome.records);
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, ZbarNegative, testing::ValuesIn(NegativePages()),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
