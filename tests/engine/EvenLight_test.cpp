// The paper's light of a page and the page evened by it: synthetic pages of
// paper lit evenly, falling off, or cut by a sharp edge of shadow, with small
// dark marks (a symbol's modules) on them.

#include "engine/core/EvenLight.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vexo::engine {
namespace {

constexpr Int32 kSide = 640;
constexpr double kPaper = 220, kInk = 40;

struct LightCase {
  std::string name;
  double farLight;  // the light at the right edge, the left edge's being 1
  bool shadowEdge;  // the right half at farLight, the left at 1, a sharp step
  bool uneven;      // the page is evened
};

// Paper with a 60-pixel square of 2-pixel checks at (100, 100), lit as the
// case says.
LumaImage LitPage(const LightCase& c) {
  LumaImage page;
  page.width = page.height = kSide;
  page.pixels.resize(static_cast<std::size_t>(kSide) * kSide);
  for (Int32 y = 0; y < kSide; ++y) {
    for (Int32 x = 0; x < kSide; ++x) {
      const bool mark = x >= 100 && x < 160 && y >= 100 && y < 160 && (x / 2 + y / 2) % 2 == 0;
      const double light = c.shadowEdge ? (x < kSide / 2 ? 1 : c.farLight)
                                        : 1 + (c.farLight - 1) * x / (kSide - 1.0);
      page.pixels[static_cast<std::size_t>(y) * kSide + x] =
          static_cast<UInt8>(std::lround((mark ? kInk : kPaper) * light));
    }
  }
  return page;
}

UInt8 At(const LumaImage& image, Int32 x, Int32 y) {
  return image.pixels[static_cast<std::size_t>(y) * image.width + x];
}

class EvenLightCase : public testing::TestWithParam<LightCase> {};

TEST_P(EvenLightCase, BringsThePaperToOneLevel) {
  const LightCase& c = GetParam();
  const LumaImage page = LitPage(c);
  const std::optional<LumaImage> evened = EvenedIfUneven(ViewOf(page));
  ASSERT_EQ(evened.has_value(), c.uneven);
  if (!evened) return;
  // Paper near white everywhere, away from the step itself; the marks stay ink.
  for (const Int32 x : {20, 200, 300, 340, 450, 620}) {
    EXPECT_GT(At(*evened, x, 400), 230) << "paper at x " << x;
  }
  EXPECT_LT(At(*evened, 100, 100), 90);
  EXPECT_GT(At(*evened, 102, 100), 230);
}

INSTANTIATE_TEST_SUITE_P(Pages, EvenLightCase,
                         testing::Values(LightCase{"Even", 1, false, false},
                                         LightCase{"FallingByAFiftieth", 0.98, false, false},
                                         LightCase{"FallingToHalf", 0.5, false, true},
                                         LightCase{"ShadowEdgeToHalf", 0.5, true, true}),
                         [](const testing::TestParamInfo<LightCase>& param) {
                           return param.param.name;
                         });

TEST(EvenLight, SmallOrEmptyAreasAreLeftAlone) {
  LumaImage small;
  small.width = small.height = 200;
  small.pixels.assign(200 * 200, 100);
  for (Int32 x = 0; x < 100; ++x) small.pixels[static_cast<std::size_t>(x)] = 250;
  EXPECT_FALSE(EvenedIfUneven(ViewOf(small)).has_value());
  EXPECT_FALSE(EvenedIfUneven(LumaView{}).has_value());
  EXPECT_DOUBLE_EQ(LightEvenness(PaperLight(LumaView{})), 1);
}

}  // namespace
}  // namespace vexo::engine
