// Crop geometry of the region and turned-crop passes: how a blob's crop is
// grown, clipped and centred, and which blobs of bars are read straight or
// turned.

#include "engine/core/Crops.h"

#include <gtest/gtest.h>

#include <string>

namespace vexo::engine {
namespace {

struct ShapeCase {
  const char* name;
  Region (*shape)(const Region&);
  Region blob;
  Region expected;
};

const ShapeCase kShapeCases[] = {
    {"grown_by_a_share_of_the_longer_side",
     [](const Region& r) { return Grown(r, 0.1, 8); },
     {100, 100, 300, 200},
     {80, 80, 320, 220}},
    {"grown_by_the_minimum",
     [](const Region& r) { return Grown(r, 0.1, 8); },
     {100, 100, 150, 120},
     {92, 92, 158, 128}},
    {"clipped_to_the_area",
     [](const Region& r) { return Clipped(r, 640, 480); },
     {-20, -5, 700, 300},
     {0, 0, 640, 300}},
    {"centred_on_a_small_blob_at_least_256",
     CentredCrop,
     {100, 100, 140, 120},
     {-8, -18, 248, 238}},
    {"centred_on_a_large_blob_three_times_its_side",
     CentredCrop,
     {0, 0, 200, 100},
     {-200, -250, 400, 350}},
};

class CropShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(CropShape, KeepsTheBlobInside) {
  const Region got = GetParam().shape(GetParam().blob);
  const Region& expected = GetParam().expected;
  EXPECT_EQ(got.left, expected.left);
  EXPECT_EQ(got.top, expected.top);
  EXPECT_EQ(got.right, expected.right);
  EXPECT_EQ(got.bottom, expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(Crops, CropShape, testing::ValuesIn(kShapeCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(CropShape, NothingLeftOutsideTheAreaIsEmpty) {
  EXPECT_TRUE(IsEmpty(Clipped({700, 10, 800, 50}, 640, 480)));
  EXPECT_FALSE(IsEmpty(Clipped({600, 10, 800, 50}, 640, 480)));
}

struct BarsCase {
  const char* name;
  double gradientDegrees;  // of the bars' normal, counter-clockwise
  double coherence;
  UInt32 straightDirection;
  bool turned;
};

const BarsCase kBarsCases[] = {
    {"standing_bars_of_a_flat_symbol", 0, 0.9, kDirectionHorizontal, false},
    {"flat_bars_of_a_standing_symbol", -90, 0.9, kDirectionVertical, false},
    {"three_degrees_off_standing", -93, 0.9, kDirectionVertical, false},
    {"fifteen_degrees_off_flat", -15, 0.9, kDirectionHorizontal, true},
    {"fifteen_degrees_off_flat_the_other_way", -165, 0.9, kDirectionHorizontal, true},
    {"thirty_degrees", -30, 0.9, 0, true},
    {"diagonal", -45, 0.9, 0, true},
    {"other_diagonal", -135, 0.9, 0, true},
    {"rows_of_micro_pdf417_turned", -45, 0.45, 0, true},
    {"no_dominant_direction", -45, 0.2, 0, false},
};

class BarBlob : public testing::TestWithParam<BarsCase> {};

TEST_P(BarBlob, IsReadStraightOrTurned) {
  const BarsCase& c = GetParam();
  const Region blob{0, 0, 100, 100, c.gradientDegrees, c.coherence};
  EXPECT_EQ(StraightBarsDirection(blob), c.straightDirection);
  EXPECT_EQ(TurnedBars(blob), c.turned);
}

INSTANTIATE_TEST_SUITE_P(Crops, BarBlob, testing::ValuesIn(kBarsCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo::engine
