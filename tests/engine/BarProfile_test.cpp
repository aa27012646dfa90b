// The restoration of small bars from their whole height: synthetic bars of
// known edges, blurred, leaning, noisy or dithered, averaged along the bars,
// deblurred and drawn again as clean bars.

#include "engine/image/BarProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::engine {
namespace {

constexpr double kPaper = 200, kInk = 30;
constexpr Int32 kMargin = 24;  // paper before the first bar and after the last

std::size_t Size(Int32 n) { return static_cast<std::size_t>(n); }

struct BarCase {
  std::string name;
  double module;  // pixels
  double sigma;   // the blur
  double noise;   // standard deviation of each pixel's noise
  double lean;    // pixels per row
  Int32 rows;     // rows of bars
  Int32 blank;    // rows of paper above and below them
  bool dithered;  // each pixel thresholded after the noise (a fax)
};

// Element widths in modules, bar first and last: starts like a Code 128 symbol and
// goes on with every width from 1 to 4 next to every other.
const std::vector<int> kElements{2, 1, 1, 2, 3, 2, 1, 1, 2, 2, 3, 1, 4, 1, 1, 3, 2, 4, 3, 1,
                                 1, 4, 2, 2, 4, 4, 1, 2, 3, 3, 2, 1, 3, 1, 1, 1, 2, 3, 3};

// Ink (1) or paper (0) at position x of the line, in pixels.
double Ink(double x, double module) {
  double at = kMargin;
  for (std::size_t i = 0; i < kElements.size(); ++i) {
    const double end = at + kElements[i] * module;
    if (x >= at && x < end) return i % 2 == 0 ? 1 : 0;
    at = end;
  }
  return 0;
}

Int32 LineWidth(double module) {
  int modules = 0;
  for (const int e : kElements) modules += e;
  return static_cast<Int32>(std::ceil(2 * kMargin + modules * module));
}

// The line as a scan sees it: each pixel the mean of the ink over its
// width, blurred.
std::vector<double> ScannedLine(const BarCase& c, double shift) {
  const Int32 width = LineWidth(c.module);
  std::vector<double> line(static_cast<std::size_t>(width));
  constexpr int kSteps = 16;
  for (Int32 x = 0; x < width; ++x) {
    double ink = 0;
    for (int s = 0; s < kSteps; ++s) ink += Ink(x - shift + (s + 0.5) / kSteps, c.module);
    line[static_cast<std::size_t>(x)] = kPaper - (kPaper - kInk) * ink / kSteps;
  }
  return c.sigma > 0 ? GaussianBlurred(line, c.sigma) : line;
}

LumaImage ScannedBars(const BarCase& c) {
  LumaImage image;
  image.width = LineWidth(c.module);
  image.height = c.rows + 2 * c.blank;
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, c.noise);
  for (Int32 y = 0; y < image.height; ++y) {
    const bool bars = y >= c.blank && y < c.blank + c.rows;
    const std::vector<double> line =
        bars ? ScannedLine(c, c.lean * y) : std::vector<double>(image.width, kPaper);
    for (const double v : line) {
      const double seen = v + noise(random);
      image.pixels.push_back(static_cast<UInt8>(
          c.dithered ? (seen < 128 ? 0 : 255) : std::clamp(std::lround(seen), 0L, 255L)));
    }
  }
  return image;
}

// The widths of runs of one row of a drawn image, in its pixels.
std::vector<Int32> Runs(const LumaImage& drawn) {
  std::vector<Int32> runs;
  for (Int32 x = 1, start = 0; x <= drawn.width; ++x) {
    if (x == drawn.width || drawn.pixels[Size(x)] != drawn.pixels[Size(x - 1)]) {
      runs.push_back(x - start);
      start = x;
    }
  }
  return runs;
}

class RestoredBarsCase : public testing::TestWithParam<BarCase> {};

TEST_P(RestoredBarsCase, DrawsTheBarsAgain) {
  const BarCase& c = GetParam();
  const BarProfile profile = MeanAcrossBars(ScannedBars(c), 12);
  ASSERT_FALSE(profile.values.empty());
  EXPECT_NEAR(profile.top, c.blank, 2);
  EXPECT_NEAR(profile.bottom, c.blank + c.rows, 2);
  EXPECT_NEAR(profile.lean, c.lean, 0.01);
  const std::vector<RestoredBars> lines =
      RestoredLines(profile, {0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6});
  ASSERT_FALSE(lines.empty());
  // Every element drawn again, each within a pixel of its width.
  const std::vector<Int32> runs = Runs(DrawnBars(lines.front().line, 1, 1));
  ASSERT_EQ(runs.size(), kElements.size() + 2) << "restored with sigma " << lines.front().sigma;
  for (std::size_t i = 0; i < kElements.size(); ++i) {
    EXPECT_NEAR(runs[i + 1], kElements[i] * c.module, 1) << "element " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bars, RestoredBarsCase,
    testing::Values(BarCase{"SharpTwoPixelModules", 2, 0, 8, 0, 40, 0, false},
                    BarCase{"TwoPixelModulesBlurOne", 2, 1.0, 12, 0, 60, 0, false},
                    BarCase{"ThreeHalvesPixelModulesBlurOneAndAFifth", 1.5, 1.2, 15, 0, 60, 0,
                            false},
                    BarCase{"LeaningThreeDegrees", 2, 0.8, 10, 0.05, 60, 0, false},
                    BarCase{"PaperAboveAndBelow", 2, 1.0, 12, 0, 50, 30, false},
                    BarCase{"DitheredFax", 2, 0.8, 40, 0, 80, 0, true}),
    [](const testing::TestParamInfo<BarCase>& param) { return param.param.name; });

struct EdgeCase {
  std::string name;
  BarEdges edges;
  Int32 factor;
  double tolerance;  // source pixels
};

class DrawnEdges : public testing::TestWithParam<EdgeCase> {};

// A sharp line of 1.5-pixel modules: each sample's block keeps a width to a
// pixel; edges between samples place it to a fraction of one.
TEST_P(DrawnEdges, KeepEveryWidth) {
  const EdgeCase& c = GetParam();
  const BarCase sharp{"Sharp", 1.5, 0, 0, 0, 1, 0, false};
  const std::vector<Int32> runs = Runs(DrawnBars(ScannedLine(sharp, 0), c.factor, 1, c.edges));
  ASSERT_EQ(runs.size(), kElements.size() + 2);
  for (std::size_t i = 0; i < kElements.size(); ++i) {
    EXPECT_NEAR(runs[i + 1], kElements[i] * sharp.module * c.factor, c.tolerance * c.factor)
        << "element " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, DrawnEdges,
    testing::Values(EdgeCase{"SampleBlocks", BarEdges::SampleBlocks, 3, 1.0},
                    EdgeCase{"BetweenSamples", BarEdges::BetweenSamples, 6, 0.4}),
    [](const testing::TestParamInfo<EdgeCase>& param) { return param.param.name; });

// Undoing a blur of the width it had gives the line back where the noise
// allows; a Gaussian blur and its undoing keep the mean level.
TEST(Deblurred, UndoesAGaussianBlur) {
  std::vector<double> line(200, kPaper);
  for (std::size_t i = 80; i < 83; ++i) line[i] = kInk;
  const std::vector<double> blurred = GaussianBlurred(line, 1.0);
  EXPECT_GT(*std::min_element(blurred.begin(), blurred.end()), kInk + 15);
  const std::vector<double> restored = Deblurred(blurred, 1.0, 1e-4);
  for (std::size_t i = 75; i < 90; ++i) EXPECT_NEAR(restored[i], line[i], 30) << i;
}

TEST(MeanAcrossBars, NeedsEnoughRows) {
  const BarCase few{"Few", 2, 1.0, 10, 0, 8, 0, false};
  EXPECT_TRUE(MeanAcrossBars(ScannedBars(few), 12).values.empty());
  EXPECT_TRUE(MeanAcrossBars(LumaImage{}, 12).values.empty());
}

// Symbols of 1.5-pixel modules (zint scale 0.75) on grey paper under a
// scan's blur and noise, or photographed by a phone (light falling off
// across the frame, a slight perspective, blur, noise and JPEG), read by the
// engine's default profile: each once, with its own content. The enlarged
// bar view alone misread the two EAN-13 with blur 1.0 before the restored
// bars were read first; the phone's copies read once the crops are cut from
// the page evened and the restored lines are drawn with edges between
// samples. The faxed EAN/UPC of 2-pixel modules (1.33 at 200 dpi,
// dithered) may be missed but never read wrong: the enlarged bar view read
// each of them with the check digit right and other digits wrong.
struct ScanCase {
  const char* name;
  const char* zint;
  std::string finish;  // ImageMagick options after the symbol is put on paper
  const char* content;
  const char* scale = "0.75";
  bool mayMiss = false;
};

std::string GreyScan(double blur, double noise, int seed = 5) {
  return "+level 0%,78% -blur 0x" + std::to_string(blur) + " -seed " + std::to_string(seed) +
         " -attenuate " + std::to_string(noise) + " +noise Gaussian -colorspace Gray";
}

// The scan sent as a 200-dpi fax, which dithers.
std::string Faxed(double blur, double noise, int seed) {
  return GreyScan(blur, noise, seed) +
         " -density 300 -units PixelsPerInch -resample 200 -monochrome";
}

// Light falling from white to half across the frame, each corner moved by
// up to 30 pixels, blur 0.8, noise 0.4, JPEG quality 75.
const std::string kPhone =
    "\\( +clone -sparse-color Barycentric '0,0 gray100 %[fx:w],%[fx:h] gray50' \\) -compose "
    "Multiply -composite -compose Over -virtual-pixel edge -distort Perspective '0,0 20,14 "
    "%[fx:w],0 %[fx:w-30],10 %[fx:w],%[fx:h] %[fx:w-12],%[fx:h-20] 0,%[fx:h] 25,%[fx:h-8]' "
    "-blur 0x0.8 -seed 5 -attenuate 0.4 +noise Gaussian -colorspace Gray -quality 75 jpg:- | "
    "convert jpg:-";

class SmallScannedSymbol : public testing::TestWithParam<ScanCase> {};

TEST_P(SmallScannedSymbol, IsReadWithItsOwnContent) {
  const ScanCase& c = GetParam();
  const Int32 border = c.finish == kPhone ? 250 : 60;
  const test::Gray page = test::ReadPgmFrom(
      std::string("zint -b ") + c.zint + " --scale=" + c.scale +
      " --filetype=png --direct 2>/dev/null | convert png:- -bordercolor white -border " +
      std::to_string(border) + " " + c.finish + " -depth 8 pgm:-");
  test::EngineSession session(test::EncodePng(page));
  test::FindArgs args;
  args.codes = test::kEveryGroup;
  const test::FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.records.size(), c.mayMiss && outcome.records.empty() ? 0u : 1u)
      << test::Describe(outcome.records);
  for (const auto& record : outcome.records) EXPECT_EQ(record.content, c.content);
}

INSTANTIATE_TEST_SUITE_P(
    Scans, SmallScannedSymbol,
    testing::Values(
        ScanCase{"Ean13BlurOne", "EANX -d 116170740032", GreyScan(1.0, 0.5), "1161707400322"},
        ScanCase{"Ean13BlurOneOther", "EANX -d 978020137962", GreyScan(1.0, 0.5), "9780201379624"},
        ScanCase{"Ean13BlurOneAndAFifth", "EANX -d 469188614526", GreyScan(1.2, 0.6),
                 "4691886145266"},
        ScanCase{"UpcABlurOneAndAFifth", "UPCA -d 62466334732", GreyScan(1.2, 0.6), "624663347328"},
        ScanCase{"Code128BlurOneAndAFifth", "CODE128 -d A4COD1126093 --height=40",
                 GreyScan(1.2, 0.6), "A4COD1126093"},
        ScanCase{"Code128Phone", "CODE128 -d A4COD1126093 --height=40", kPhone, "A4COD1126093"},
        ScanCase{"Code128PhoneOther", "CODE128 -d A4COD3849914 --height=40", kPhone,
                 "A4COD3849914"},
        ScanCase{"Ean13Phone", "EANX -d 116170740032", kPhone, "1161707400322"},
        ScanCase{"UpcAPhone", "UPCA -d 62466334732", kPhone, "624663347328"},
        ScanCase{"Code93Phone", "CODE93 -d A4324834 --height=40", kPhone, "A4324834"},
        ScanCase{"UpcAFaxed", "UPCA -d 19389528587", Faxed(1.15, 0.55, 2), "193895285871", "1",
                 true},
        ScanCase{"UpcAFaxedOther", "UPCA -d 66023030871", Faxed(1.1, 0.5, 2), "660230308712", "1",
                 true},
        ScanCase{"Ean13Faxed", "EANX -d 266473782883", Faxed(1.2, 0.6, 1), "2664737828832", "1",
                 true},
        ScanCase{"Ean13FaxedOther", "EANX -d 757938347017", Faxed(1.2, 0.6, 3), "7579383470173",
                 "1", true},
        ScanCase{"Ean13FaxedRead", "EANX -d 888686117516", Faxed(1.0, 0.5, 1), "8886861175161",
                 "1"}),
    [](const testing::TestParamInfo<ScanCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo::engine
