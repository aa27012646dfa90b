// Patches of bars found at full resolution: a linear symbol of small modules
// at any turn gives a patch holding it whose direction runs across its bars;
// a page without bars gives none.

#include "engine/core/BarPatches.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

using engine::BarPatch;
using engine::FindBarPatches;

struct PatchCase {
  const char* name;
  const char* args;  // zint arguments
  double scale;      // a module is 2 * scale pixels
  double degrees;    // turned clockwise
};
void PrintTo(const PatchCase& c, std::ostream* os) { *os << c.name; }

const PatchCase kPatchCases[] = {
    {"Ean13Module2Upright", "EANX -d 590123412345", 1, 0},
    {"Ean13Module2Turned12", "EANX -d 590123412345", 1, 12},
    {"Code128Module3Turned30", "CODE128 -d BARS-30", 1.5, 30},
    {"Code39Module2Turned75", "CODE39 -d PATCH75", 1, 75},
    {"Interleaved2of5Module2Turned135", "C25INTER -d 1234567890", 1, 135},
};

class BarPatches : public testing::TestWithParam<PatchCase> {};

TEST_P(BarPatches, PatchHoldsTheSymbolAcrossItsBars) {
  const PatchCase& c = GetParam();
  const Gray& symbol = DrawnSymbol(c.args, c.scale);
  Gray page = Gray::White(symbol.width * 2, symbol.height * 3);
  Place(page, symbol, symbol.width / 2, symbol.height);
  if (c.degrees != 0) page = TurnedBy(page, c.degrees);
  const auto patches = FindBarPatches({page.pixels.data(), page.width, page.height, page.width});
  const double cx = page.width / 2.0, cy = page.height / 2.0;
  const BarPatch* held = nullptr;
  for (const BarPatch& p : patches) {
    if (cx > p.left && cx < p.left + p.width && cy > p.top && cy < p.top + p.height) held = &p;
  }
  ASSERT_NE(held, nullptr) << patches.size() << " patches";
  // Across the bars: the page's rows turned clockwise, mod 180 degrees.
  const double apart = std::fmod(std::fabs(held->degrees + c.degrees), 180);
  EXPECT_LT(std::min(apart, 180 - apart), 6) << held->degrees;
  EXPECT_GE(held->width, symbol.width * 0.9 * std::fabs(std::cos(c.degrees * M_PI / 180)));
}

INSTANTIATE_TEST_SUITE_P(Symbols, BarPatches, testing::ValuesIn(kPatchCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(BarPatchesNone, FlatNoiseAndSingleLinesGiveNone) {
  Gray page = Gray::White(800, 600);
  UInt32 state = 12345;
  for (UInt8& p : page.pixels) {
    state = state * 1664525u + 1013904223u;
    p = static_cast<UInt8>(150 + (state >> 24) % 40);
  }
  // A box's edges and one thick rule: lines, not bars.
  for (Int32 y = 100; y < 500; ++y) {
    for (Int32 x = 100; x < 110; ++x) page.At(x, y) = 20;
    for (Int32 x = 600; x < 640; ++x) page.At(x, y) = 40;
  }
  EXPECT_TRUE(FindBarPatches({page.pixels.data(), page.width, page.height, page.width}).empty());
}

struct DimCase {
  const char* name;
  const char* args;     // zint arguments; empty: no symbol
  const char* content;  // as the worker reports it
  UInt32 seed;
};
void PrintTo(const DimCase& c, std::ostream* os) { *os << c.name; }

// A symbol of 3-pixel modules in a 2-megapixel photo taken in little light:
// the phone's gain lifts the picture and its noise until no line through the
// bars reads; the bar patch averaged along its bars does. Without a symbol
// the same photo gives nothing.
const DimCase kDimCases[] = {
    {"Ean13", "EANX -d 590123412345", "5901234123457", 11},
    {"NoSymbol", "", "", 13},
};
constexpr const char* kDim =
    "-background gray75 -rotate 8 -blur 0x0.8 +level 0%,30% -seed {seed} -attenuate 2 "
    "+noise Gaussian -level 0%,35% -quality 85";

class DimPhoto : public testing::TestWithParam<DimCase> {};

TEST_P(DimPhoto, ReadAveragedAlongTheBars) {
  const DimCase& c = GetParam();
  Gray page = Gray::White(1300, 1150);
  std::fill(page.pixels.begin(), page.pixels.end(), UInt8{190});
  if (*c.args != 0) Place(page, DrawnSymbol(c.args, 1.5), 380, 420);
  const std::vector<UInt8> file = DegradedFile(page, {c.name, kDim, "jpg"}, c.seed);
  ASSERT_FALSE(file.empty());
  EngineSession session(file);
  FindArgs args;
  args.codes = {kAllLinear};
  std::vector<std::string> found;
  for (const Record& r : session.Find(args).records) found.push_back(r.content);
  const std::vector<std::string> expected =
      *c.content != 0 ? std::vector<std::string>{c.content} : std::vector<std::string>{};
  EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, DimPhoto, testing::ValuesIn(kDimCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo::test
