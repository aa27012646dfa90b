// The engine's parts on their own: merge, order and angle of findings, the
// result block, option blocks and the pass plan.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/core/Findings.h"
#include "engine/core/PassPlan.h"
#include "engine/core/ResultBlock.h"

namespace vexo::engine {
namespace {

Finding At(double left, double top, double side, const std::string& content,
           Symbology symbology = Symbology::Code128, UInt32 code = 0x80000020) {
  Finding f;
  f.symbology = symbology;
  f.code = code;
  f.content.assign(content.begin(), content.end());
  f.corners = {{{left, top}, {left + side, top}, {left + side, top + side}, {left, top + side}}};
  return f;
}

std::string Text(const Finding& f) { return {f.content.begin(), f.content.end()}; }

TEST(Findings, AngleOfTheTopEdge) {
  const struct Case {
    const char* name;
    PointD first, second;
    Int32 angle;
  } cases[] = {
      {"upright", {0, 0}, {10, 0}, 0},
      {"quarter turn counter-clockwise", {0, 10}, {0, 0}, 9000},
      {"quarter turn clockwise", {10, 0}, {10, 10}, -9000},
      {"upside down", {10, 0}, {0, 0}, 18000},
      {"45 degrees clockwise", {0, 0}, {10, 10}, -4500},
      {"30 degrees counter-clockwise", {0, 0}, {8.660254, -5}, 3000},
      {"no edge", {5, 5}, {5, 5}, 0},
  };
  for (const Case& c : cases) {
    Finding f;
    f.corners = {{c.first, c.second, c.second, c.first}};
    EXPECT_EQ(AngleOf(f), c.angle) << c.name;
  }
}

TEST(Findings, MergeKeepsOneOfEachSymbol) {
  const struct Case {
    const char* name;
    Finding later;
    std::vector<std::string> kept;
  } cases[] = {
      {"same symbol again", At(102, 101, 50, "ABC"), {"ABC"}},
      {"same content elsewhere: a second symbol", At(400, 100, 50, "ABC"), {"ABC", "ABC"}},
      {"other content on the same spot", At(100, 100, 50, "XYZ"), {"ABC", "XYZ"}},
      {"same content, other symbology", At(100, 100, 50, "ABC", Symbology::Code39), {"ABC", "ABC"}},
      {"partial read", At(110, 100, 30, "BC"), {"ABC"}},
      {"fuller read replaces", At(100, 100, 50, "ABCD"), {"ABCD"}},
      {"within the tolerance", At(155, 100, 50, "ABC"), {"ABC"}},
      {"beyond the tolerance", At(170, 100, 50, "ABC"), {"ABC", "ABC"}},
  };
  for (const Case& c : cases) {
    std::vector<Finding> accepted{At(100, 100, 50, "ABC")};
    MergeFinding(accepted, c.later, 8);
    std::vector<std::string> kept;
    for (const Finding& f : accepted) kept.push_back(Text(f));
    EXPECT_EQ(kept, c.kept) << c.name;
  }
}

TEST(Findings, SortByTopThenLeftThenCodeThenContent) {
  std::vector<Finding> findings{At(300, 100, 20, "D"), At(100, 100, 20, "C", Symbology::QrCode, 9),
                                At(100, 100, 20, "B", Symbology::QrCode, 9),
                                At(100, 100, 20, "A", Symbology::Code128, 10),
                                At(900, 40, 20, "E")};
  SortFindings(findings);
  std::string order;
  for (const Finding& f : findings) order += Text(f);
  EXPECT_EQ(order, "EBCAD");
}

TEST(ResultBlock, RecordsAndContentInOneBlock) {
  std::vector<Finding> findings{At(10.4, 20.6, 30, "HELLO"), At(-5, 50, 20, ""),
                                At(90, 90, 30, "XY")};
  BarcodeResult* block = PublishResults(findings, 100, 100);
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(block[i].count, 3);
  // Rounded corners; the rectangle is their bounding box.
  EXPECT_EQ(block[0].corners[0], 10);
  EXPECT_EQ(block[0].corners[1], 21);
  EXPECT_EQ(block[0].left, 10);
  EXPECT_EQ(block[0].top, 21);
  EXPECT_EQ(block[0].right, 40);
  EXPECT_EQ(block[0].bottom, 51);
  // Kept inside the image.
  EXPECT_EQ(block[1].left, 0);
  EXPECT_EQ(block[2].right, 100);
  EXPECT_EQ(block[2].bottom, 100);
  EXPECT_EQ(block[0].code, 0x80000020u);
  ASSERT_EQ(block[0].dataLength, 5);
  // The data pointers are packed fields: copied before comparing.
  const UInt8* first = block[0].data;
  const UInt8* second = block[1].data;
  const UInt8* third = block[2].data;
  EXPECT_EQ(std::memcmp(first, "HELLO", 5), 0);
  EXPECT_EQ(block[1].dataLength, 0);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(third, first + 5);
  EXPECT_EQ(first, reinterpret_cast<const UInt8*>(block) + 3 * sizeof(BarcodeResult));
  EXPECT_TRUE(ReleasePublishedResults(block));
  EXPECT_FALSE(ReleasePublishedResults(block));
  EXPECT_EQ(PublishResults({}, 100, 100), nullptr);
}

SymbologySet Set(std::initializer_list<Symbology> symbologies) {
  SymbologySet set;
  for (Symbology s : symbologies) set.set(Index(s));
  return set;
}

TEST(PassPlan, DirectionsAndPassesDecideTheReads) {
  using K = PassKind;
  const SymbologySet mixed = Set({Symbology::Code128, Symbology::QrCode, Symbology::DataMatrix});
  const SymbologySet linear = Set({Symbology::Code128});
  constexpr UInt32 kFullHalf = kPassFull | kPassHalf;
  auto options = [](UInt32 passes, UInt32 directions) {
    ReadOptions o;
    o.passes = passes;
    o.directions = directions;
    o.regionCrops = 16;
    o.halfPassMinSide = 600;
    return o;
  };
  const struct Case {
    const char* name;
    ReadOptions options;
    SymbologySet readable;
    Int32 width, height;
    std::vector<K> kinds;
  } cases[] = {
      // clang-format off
      {"page, both ways", options(kFullHalf | kPassRegions, 0x60), mixed, 2480, 3508,
       {K::Full, K::Half, K::Reduced, K::Reduced, K::Regions, K::QrFinders}},
      {"no QR finder crops under 2 megapixels", options(kFullHalf | kPassRegions, 0x60), mixed,
       1300, 1000, {K::Full, K::Half, K::Regions, K::Contrast}},
      {"page, vertical only", options(kFullHalf, 0x40), mixed, 2480, 3508,
       {K::Full, K::QuarterTurn, K::Half, K::Reduced, K::Reduced}},
      {"2 megapixels: 1/3 only, contrast at half size", options(kFullHalf, 0x60), mixed, 1632,
       1224, {K::Full, K::Half, K::Reduced, K::Contrast}},
      {"none under 360 pixels", options(kFullHalf, 0x60), mixed, 1300, 1000,
       {K::Full, K::Half, K::Contrast}},
      {"no contrast pass beyond 6 megapixels", options(kFullHalf, 0x60), linear, 3264, 2448,
       {K::Full}},
      {"no contrast pass without horizontal", options(kFullHalf, 0x40), linear, 1600, 1200,
       {K::QuarterTurn}},
      {"none for linear symbols", options(kFullHalf | kPassHalfLinear, 0x60), linear, 2480, 3508,
       {K::Full, K::Half}},
      {"linear only, vertical only", options(kPassFull, 0x40), linear, 2480, 3508,
       {K::QuarterTurn}},
      {"diagonal", options(kPassFull, 0xE0), mixed, 2480, 3508, {K::Full, K::Diagonal}},
      {"too small for the half pass", options(kFullHalf, 0x60), mixed, 500, 400,
       {K::Full, K::Contrast}},
      {"half pass alone on a small view falls back to full", options(kPassHalf, 0x20), mixed, 500,
       400, {K::Full, K::Contrast}},
      {"both binarizers", options(kPassFull | kPassOtherBinarizer, 0x20), linear, 800, 800,
       {K::Full, K::OtherBinarizer, K::Contrast}},
      {"regions read bars too", options(kPassFull | kPassRegions, 0x20), linear, 2480, 3508,
       {K::Full, K::Regions}},
      {"no bar crops without a straight direction", options(kPassFull | kPassRegions, 0x80),
       linear, 2480, 3508, {K::Diagonal}},
      // clang-format on
  };
  for (const Case& c : cases) {
    std::vector<K> kinds;
    for (const PassSpec& pass : PlanPasses(c.options, c.readable, c.width, c.height)) {
      kinds.push_back(pass.kind);
    }
    EXPECT_EQ(kinds, c.kinds) << c.name;
  }
}

TEST(PassPlan, ReducedCopiesAreOneThirdAndOneQuarter) {
  ReadOptions o;
  o.passes = kPassHalf;
  o.halfPassMinSide = 600;
  std::vector<Int32> factors;
  for (const PassSpec& pass : PlanPasses(o, Set({Symbology::QrCode}), 4000, 3000)) {
    if (pass.kind == PassKind::Reduced) factors.push_back(pass.reduce);
  }
  EXPECT_EQ(factors, (std::vector<Int32>{3, 4}));
}

// Every square of a quarter of the shorter side lies inside a tile, and no
// tile leaves the view.
TEST(PassPlan, CentredTilesHoldEverySmallSymbol) {
  for (const auto& [w, h] : {std::pair{864, 648}, {1333, 1000}, {620, 877}, {400, 400}}) {
    const std::vector<Tile> tiles = CentredTiles(w, h);
    const Int32 symbol = std::min(w, h) / 4;
    for (const Tile& t : tiles) {
      EXPECT_EQ(t.side, std::min(w, h) / 2);
      EXPECT_TRUE(t.left >= 0 && t.top >= 0 && t.left + t.side <= w && t.top + t.side <= h);
    }
    for (Int32 y = 0; y + symbol <= h; y += 7) {
      for (Int32 x = 0; x + symbol <= w; x += 7) {
        const bool held = std::any_of(tiles.begin(), tiles.end(), [&](const Tile& t) {
          return x >= t.left && y >= t.top && x + symbol <= t.left + t.side &&
                 y + symbol <= t.top + t.side;
        });
        ASSERT_TRUE(held) << w << "x" << h << " at " << x << "," << y;
      }
    }
  }
  EXPECT_TRUE(CentredTiles(1, 1).empty());
}

TEST(PassPlan, VariantsFollowThePassBits) {
  using V = Variant;
  const SymbologySet mixed =
      Set({Symbology::Code128, Symbology::QrCode, Symbology::Aztec, Symbology::Code39});
  const struct Case {
    UInt32 passes;
    std::vector<V> variants;
  } cases[] = {
      {kPassFull, {V::AsIs}},
      {kPassFull | kPassNegativeIfNone, {V::AsIs, V::Negative}},
      {kPassFull | kPassInverted | kPassNegativeIfNone, {V::AsIs, V::Negative}},
      {kPassFull | kPassInverted, {V::AsIs, V::Negative}},
      {kPassFull | kPassInverted | kPassMirrored | kPassOtherBinarizer,
       {V::AsIs, V::Negative, V::Mirror}},
  };
  for (const Case& c : cases) {
    ReadOptions o;
    o.passes = c.passes;
    o.directions = 0xE0;
    std::vector<V> variants;
    for (const VariantSpec& v : PlanVariants(o, mixed)) {
      variants.push_back(v.variant);
      // The copies leave out the second binarizer and the diagonal pass; the
      // mirror reads matrix symbols only (a mirrored linear symbol reads
      // backwards anyway).
      const bool copy = v.variant != V::AsIs;
      EXPECT_EQ((v.options.passes & kPassOtherBinarizer) != 0,
                !copy && (c.passes & kPassOtherBinarizer) != 0);
      EXPECT_EQ((v.options.directions & 0x80) != 0, !copy);
      EXPECT_EQ(v.symbologies.test(Index(Symbology::Code128)), v.variant != V::Mirror);
      // Without the negative pass, the negative where nothing was found
      // reads the strongly checked symbologies alone.
      const bool onlyWhereNone = v.variant == V::Negative && (c.passes & kPassInverted) == 0;
      EXPECT_EQ(v.onlyWhereNone, onlyWhereNone);
      EXPECT_EQ(v.symbologies.test(Index(Symbology::Code39)),
                v.variant != V::Mirror && !onlyWhereNone);
    }
    EXPECT_EQ(variants, c.variants) << c.passes;
  }
  ReadOptions o;
  o.passes = kPassFull | kPassMirrored;
  EXPECT_EQ(PlanVariants(o, Set({Symbology::Code128})).size(), 1u);
}

// Micro PDF417 is read on the half-size copy only when no full pass reads it.
TEST(PassPlan, MicroPdf417SkipsTheHalfPassBehindTheFullPass) {
  const SymbologySet micro = Set({Symbology::MicroPdf417, Symbology::Code128});
  for (const auto& [passes, halfHasMicro] :
       {std::pair<UInt32, bool>{kPassFull | kPassHalf | kPassHalfLinear, false},
        {kPassHalf | kPassHalfLinear, true}}) {
    ReadOptions o;
    o.passes = passes;
    o.directions = 0x60;
    o.halfPassMinSide = 600;
    for (const PassSpec& pass : PlanPasses(o, micro, 2480, 3508)) {
      if (pass.kind != PassKind::Half) continue;
      EXPECT_EQ(pass.symbologies.test(Index(Symbology::MicroPdf417)), halfHasMicro) << passes;
      EXPECT_TRUE(pass.symbologies.test(Index(Symbology::Code128))) << passes;
    }
  }
}

}  // namespace
}  // namespace vexo::engine
