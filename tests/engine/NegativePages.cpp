#include "tests/engine/NegativePages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TempDir.h"

namespace vexo::test {
namespace {

// Words of body text: letters with many stems (m, n, l, i, u), digits,
// part numbers and dates, the marks most like bars.
constexpr const char* kWords[] = {
    "illumination", "minimum",    "million", "nullum", "lllll",    "mmmmm",       "1111",
    "12-34",        "2026-01-15", "ill",     "summit", "immunity", "instillment", "Invoice",
    "No.",          "0801234567", "total",   "|",      "III",      "HHH",         "page",
    "quantity",     "Willow",     "hill",    "nimbus", "11-11-11", "7 421 118",   "mill",
    "unit",         "barcode",    "MSI",     "Code",   "11",       "S25",         "||||",
    "W.W.W.",       "the",        "of",      "and",    "in"};
constexpr double kA4WidthInches = 8.27;
constexpr double kA4HeightInches = 11.69;

std::vector<UInt8> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Replaced(std::string text, const std::string& key, const std::string& value) {
  for (std::size_t at = 0; (at = text.find(key, at)) != std::string::npos; at += value.size()) {
    text.replace(at, key.size(), value);
  }
  return text;
}

// ImageMagick arguments that set a page of body text line by line (its
// caption and label coders measure a paragraph as one line, which the
// resource policy refuses).
std::string TextPageArgs(const NegativePage& page) {
  const int width = static_cast<int>(kA4WidthInches * page.dpi);
  const int height = static_cast<int>(kA4HeightInches * page.dpi);
  const double pixels = page.points * page.dpi / 72.0;
  const int margin = page.dpi;  // one inch
  const int lineStep = static_cast<int>(1.3 * pixels) + 1;
  const std::size_t lineChars = static_cast<std::size_t>((width - 2 * margin) / (0.6 * pixels));
  std::mt19937 draw(page.seed);
  std::string args = "-size " + std::to_string(width) + "x" + std::to_string(height) +
                     " xc:white -density 72 -font " + page.font + " -pointsize " +
                     std::to_string(pixels) + " -fill black";
  for (int y = margin; y < height - margin; y += lineStep) {
    std::string line;
    while (line.size() < lineChars) {
      line += kWords[draw() % (sizeof kWords / sizeof kWords[0])];
      line += ' ';
    }
    args += " -annotate +" + std::to_string(margin) + "+" + std::to_string(y) + " '" + line + "'";
  }
  return args;
}

const std::vector<NegativePage> kPages{
    {NegativePage::kText, "TextSans10", 1, "DejaVu-Sans", 10, 150},
    {NegativePage::kText, "TextSerif12", 2, "DejaVu-Serif", 12, 150},
    {NegativePage::kText, "TextMono9", 3, "DejaVu-Sans-Mono", 9, 150},
    {NegativePage::kText, "TextCondensedBold8", 4, "DejaVu-Sans-Condensed-Bold", 8, 150},
    {NegativePage::kText, "TextSerifBold16", 5, "DejaVu-Serif-Bold", 16, 150},
    {NegativePage::kText, "TextLight7At300", 6, "DejaVu-Sans-ExtraLight", 7, 300},
    {NegativePage::kText, "TextSans11At300", 7, "DejaVu-Sans", 11, 300},
    {NegativePage::kDrawn, "TableRules", 8, nullptr, 0, 0,
     "-size 1240x1754 xc:white -stroke black -strokewidth 2 "
     "-draw 'line 100,100 1140,100' -draw 'line 100,160 1140,160' -draw 'line 100,220 1140,220' "
     "-draw 'line 100,280 1140,280' -draw 'line 100,340 1140,340' -draw 'line 100,400 1140,400' "
     "-draw 'line 100,100 100,400' -draw 'line 300,100 300,400' -draw 'line 500,100 500,400' "
     "-draw 'line 700,100 700,400' -draw 'line 900,100 900,400' -draw 'line 1140,100 1140,400' "
     "-strokewidth 1 -draw 'line 100,500 1140,500' -draw 'line 100,504 1140,504' "
     "-draw 'line 100,508 1140,508' -draw 'line 100,516 1140,516' -draw 'line 100,524 1140,524' "
     "-draw 'line 200,600 200,1600' -draw 'line 204,600 204,1600' -draw 'line 212,600 212,1600' "
     "-draw 'line 216,600 216,1600' -draw 'line 228,600 228,1600' -draw 'line 232,600 232,1600' "
     "-stroke none -font DejaVu-Sans -pointsize 20 -annotate +120+140 '1111  2222  3333  4444' "
     "-annotate +120+200 'III-11 lll-ll 0000 1-1-1-1' -annotate +320+260 '11 111 1111 11111'"},
    {NegativePage::kDrawn, "DitheredPhoto", 9, nullptr, 0, 0,
     "-seed {seed} -size 310x438 plasma:fractal -colorspace Gray -resize 400% -monochrome"},
    {NegativePage::kDrawn, "OrderedDitherPhoto", 10, nullptr, 0, 0,
     "-seed {seed} -size 310x438 plasma:fractal -colorspace Gray -resize 400% "
     "-ordered-dither o8x8"},
    {NegativePage::kDrawn, "HalftoneAngled", 11, nullptr, 0, 0,
     "-size 1754x1240 gradient:black-white -rotate 90 -ordered-dither h8x8a"},
    {NegativePage::kDrawn, "HalftoneOrthogonal", 12, nullptr, 0, 0,
     "-seed {seed} -size 310x438 plasma:fractal -colorspace Gray -resize 400% "
     "-ordered-dither h6x6o"},
    {NegativePage::kDrawn, "Hatching", 13, nullptr, 0, 0,
     "-size 1240x600 pattern:vertical -scale 300% -crop 1240x600+0+0 +repage "
     "( -size 1240x600 pattern:verticalsaw -scale 200% -crop 1240x600+0+0 +repage ) "
     "( -size 1240x554 pattern:hs_vertical -scale 300% -crop 1240x554+0+0 +repage ) -append"},
    {NegativePage::kDrawn, "SaltAndPepper", 14, nullptr, 0, 0,
     "-seed {seed} -size 1240x1754 xc:gray70 -attenuate 2 +noise Impulse"},
    {NegativePage::kDrawn, "GaussianNoise", 15, nullptr, 0, 0,
     "-seed {seed} -size 1240x1754 xc:gray60 -attenuate 4 +noise Gaussian"},
    // Leader dots of several sizes and pitches, dots of two sizes taking
    // turns (two heights, as Post Net has), dashed rules across and down.
    {NegativePage::kDrawn, "DotRows", 16, nullptr, 0, 0,
     "-size 1240x900 xc:white -stroke black -fill none "
     "-strokewidth 3 -draw \"stroke-dasharray 3 6 path 'M 100,100 L 1140,100'\" "
     "-strokewidth 4 -draw \"stroke-dasharray 4 9 path 'M 100,180 L 1140,180'\" "
     "-strokewidth 6 -draw \"stroke-dasharray 6 12 path 'M 100,260 L 1140,260'\" "
     "-strokewidth 3 -draw \"stroke-dasharray 3 15 path 'M 100,340 L 1140,340'\" "
     "-strokewidth 10 -draw \"stroke-dasharray 3 15 path 'M 109,340 L 1140,340'\" "
     "-strokewidth 4 -draw \"stroke-dasharray 4 14 path 'M 100,420 L 1140,420'\" "
     "-strokewidth 9 -draw \"stroke-dasharray 4 14 path 'M 109,424 L 1140,424'\""},
    {NegativePage::kDrawn, "DashedLines", 17, nullptr, 0, 0,
     "-size 1240x1200 xc:white -stroke black -fill none "
     "-strokewidth 2 -draw \"stroke-dasharray 8 4 path 'M 100,100 L 1140,100'\" "
     "-strokewidth 3 -draw \"stroke-dasharray 5 5 path 'M 100,160 L 1140,160'\" "
     "-strokewidth 4 -draw \"stroke-dasharray 12 6 path 'M 100,220 L 1140,220'\" "
     "-strokewidth 3 -draw \"stroke-dasharray 6 4 path 'M 200,300 L 200,1100'\" "
     "-strokewidth 4 -draw \"stroke-dasharray 9 5 path 'M 400,300 L 400,1100'\" "
     "-strokewidth 2 -draw \"stroke-dasharray 4 4 path 'M 600,300 L 600,1100'\""},
    {NegativePage::kDrawn, "UnderlinedText", 18, nullptr, 0, 0,
     "-size 1240x900 xc:white -font DejaVu-Sans-Mono -pointsize 28 -fill black "
     "-annotate +100+100 'Mr Jonathan Illingworth, 1111 Hill Lane' "
     "-annotate +100+200 'lllllll IIIIIII |||||||| 1111111 iiiiii' "
     "-annotate +100+300 'Springfield IL 62701-1234, United States' "
     "-pointsize 20 -annotate +100+400 '||| ||| ||| illicit filling lull ill will' "
     "-stroke black -strokewidth 2 -draw 'line 100,106 800,106' -draw 'line 100,206 800,206' "
     "-draw 'line 100,306 800,306' -strokewidth 1 -draw 'line 100,404 700,404'"},
    {NegativePage::kLibrarySymbols, "LibrarySymbols1", 8101},
    {NegativePage::kLibrarySymbols, "LibrarySymbols2", 8102},
};

}  // namespace

const std::vector<NegativePage>& NegativePages() { return kPages; }

std::vector<UInt8> NegativePageFile(const NegativePage& page) {
  if (page.kind == NegativePage::kLibrarySymbols) return EncodePng(MakeCorpusSheet(page.seed).page);
  std::string args = page.kind == NegativePage::kText ? TextPageArgs(page) : page.draw;
  args = Replaced(args, "{seed}", std::to_string(page.seed));
  args = Replaced(Replaced(args, "( ", "\\( "), " )", " \\)");
  TempDir dir;
  const std::string out = dir.File("page.png");
  const std::string command = "convert " + args + " -colorspace Gray -depth 8 " + out;
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << command;
    return {};
  }
  return ReadFile(out);
}

}  // namespace vexo::test
