// The scanner on synthetic luminance profiles: levels and widths of bars and
// spaces, spoiled by blur, low contrast, dark paper or noise; and the run
// helpers the decoders share.

#include "engine/bars/LineScanner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/bars/RunTools.h"

namespace vexo::engine {
namespace {

struct ProfileCase {
  const char* name;
  std::vector<float> widths;  // alternately light and dark, the first light (may be 0)
  int light = 255, dark = 0;
  float blur = 0;               // sigma of a Gaussian, pixels
  int noise = 0;                // amplitude of uniform noise, gray levels
  float tolerance;              // on every edge, pixels
  std::vector<float> expected;  // run widths; empty: as drawn
};
void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }

// The profile of the runs, each pixel the mean of its area, then blurred and
// noised.
std::vector<UInt8> Profile(const ProfileCase& c) {
  float length = 0;
  for (float w : c.widths) length += w;
  const int count = static_cast<int>(std::ceil(length));
  std::vector<float> level(static_cast<std::size_t>(count), 0);
  float at = 0;
  for (std::size_t r = 0; r < c.widths.size(); ++r) {
    const float value = r % 2 == 0 ? c.light : c.dark;
    for (int i = 0; i < count; ++i) {
      const float cover =
          std::max(0.0f, std::min<float>(i + 1, at + c.widths[r]) - std::max<float>(i, at));
      level[static_cast<std::size_t>(i)] += cover * value;
    }
    at += c.widths[r];
  }
  std::vector<float> blurred = level;
  if (c.blur > 0) {
    const int reach = static_cast<int>(std::ceil(3 * c.blur));
    for (int i = 0; i < count; ++i) {
      float sum = 0, weight = 0;
      for (int k = -reach; k <= reach; ++k) {
        const int j = std::clamp(i + k, 0, count - 1);
        const float w = std::exp(-0.5f * k * k / (c.blur * c.blur));
        sum += w * level[static_cast<std::size_t>(j)];
        weight += w;
      }
      blurred[static_cast<std::size_t>(i)] = sum / weight;
    }
  }
  std::mt19937 random(7);
  std::vector<UInt8> out(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const int n = c.noise == 0 ? 0 : static_cast<int>(random() % (2 * c.noise + 1)) - c.noise;
    out[static_cast<std::size_t>(i)] = static_cast<UInt8>(std::clamp(
        static_cast<int>(std::lround(blurred[static_cast<std::size_t>(i)])) + n, 0, 255));
  }
  return out;
}

const ProfileCase kProfiles[] = {
    {"CrispBars", {20, 4, 2, 6, 4, 2, 20}, 255, 0, 0, 0, 0.01f, {}},
    {"EdgesBetweenPixels", {20.5f, 4.25f, 2.5f, 6.75f, 20}, 255, 0, 0, 0, 0.15f, {}},
    {"BeginsDark", {0, 6, 4, 3, 20}, 255, 0, 0, 0, 0.01f, {}},
    {"EndsDark", {20, 6, 4, 3}, 255, 0, 0, 0, 0.01f, {}},
    {"OnePixelModules", {20, 1, 1, 2, 1, 1, 2, 3, 20}, 255, 0, 0, 0, 0.01f, {}},
    {"Blurred", {30, 6, 3, 3, 6, 9, 3, 3, 30}, 255, 0, 1.0f, 0, 0.35f, {}},
    {"BlurredThin", {30, 4, 2, 2, 4, 6, 2, 2, 30}, 255, 0, 0.8f, 0, 0.5f, {}},
    {"LowContrast", {30, 4, 2, 2, 4, 6, 2, 2, 30}, 160, 100, 0, 0, 0.01f, {}},
    {"DarkPaper", {30, 4, 4, 8, 4, 4, 30}, 110, 20, 0.7f, 0, 0.3f, {}},
    {"NoisyBars", {30, 6, 3, 3, 6, 9, 3, 3, 30}, 230, 30, 0.7f, 12, 0.6f, {}},
    {"GrainOnly", {200}, 240, 0, 0, 9, 0, {200}},
    {"FaintMark", {40, 3, 40}, 255, 240, 0, 0, 0, {83}},
};

class ScanProfiles : public testing::TestWithParam<ProfileCase> {};

TEST_P(ScanProfiles, RunWidths) {
  const ProfileCase& c = GetParam();
  const std::vector<UInt8> samples = Profile(c);
  const RunRow row = ScanSamples(samples.data(), 1, static_cast<Int32>(samples.size()));
  const std::vector<float>& expected = c.expected.empty() ? c.widths : c.expected;
  ASSERT_EQ(row.widths.size(), expected.size());
  ASSERT_EQ(row.starts.size(), expected.size());
  EXPECT_EQ(row.length, static_cast<float>(samples.size()));
  // The same samples elsewhere: the same runs.
  const std::vector<UInt8> copy = samples;
  EXPECT_EQ(ScanSamples(copy.data(), 1, static_cast<Int32>(copy.size())).widths, row.widths);
  float start = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(row.starts[i], start, c.tolerance + 0.01f) << "run " << i;
    EXPECT_NEAR(row.widths[i], expected[i], 2 * c.tolerance + 0.01f) << "run " << i;
    start += expected[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ScanProfiles, testing::ValuesIn(kProfiles),
                         [](const auto& p) { return std::string(p.param.name); });

// Lines scanned before are remembered by their samples: one buffer refilled
// with lines that differ by a pixel gives each line its own runs, every time.
TEST(ScanLines, ABufferRefilledGivesEachLineItsRuns) {
  const std::vector<std::vector<float>> lines = {
      {20, 4, 2, 6, 4, 2, 20}, {21, 4, 2, 6, 4, 2, 19}, {20, 4, 2, 6, 4, 3, 19}, {58}};
  std::vector<UInt8> buffer;
  for (int round = 0; round < 2; ++round) {
    for (const std::vector<float>& widths : lines) {
      buffer = Profile({"", widths, 255, 0, 0, 0, 0, {}});
      const RunRow row = ScanSamples(buffer.data(), 1, static_cast<Int32>(buffer.size()));
      EXPECT_EQ(row.widths, widths) << "round " << round << ", line of " << widths.size();
    }
  }
}

TEST(ScanLines, ColumnsReadLikeRowsAndOutsideIsEmpty) {
  // A 3 x 40 view whose middle column holds the bars of the middle row.
  const ProfileCase& c = kProfiles[0];
  const std::vector<UInt8> line = Profile(c);
  const Int32 n = static_cast<Int32>(line.size());
  std::vector<UInt8> square(static_cast<std::size_t>(n * n), 255);
  for (Int32 i = 0; i < n; ++i) {
    square[static_cast<std::size_t>(1 * n + i)] = line[static_cast<std::size_t>(i)];
    square[static_cast<std::size_t>(i * n + 1)] = line[static_cast<std::size_t>(i)];
  }
  const LumaView view{square.data(), n, n, n};
  EXPECT_EQ(ScanRow(view, 1).widths, ScanColumn(view, 1).widths);
  EXPECT_EQ(ScanRow(view, 1).widths, c.widths);
  EXPECT_TRUE(ScanRow(view, n).widths.empty());
  EXPECT_TRUE(ScanColumn(view, -1).widths.empty());
}

struct SplitCase {
  const char* name;
  std::vector<float> widths;
  bool splits;
  float threshold;
};
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

const SplitCase kSplits[] = {
    {"TwoToOne", {2, 4, 2.2f, 4.1f, 1.9f}, true, 3.1f},
    {"ThreeToOne", {3, 9, 3, 3, 8.5f}, true, 5.75f},
    {"OneClass", {3, 3.2f, 2.9f, 3.1f}, false, 0},
    {"TooFarApart", {1, 1, 9, 9}, false, 0},
    {"Smeared", {1, 1.4f, 2, 2.8f, 4}, false, 0},
};

class SplitTable : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, NarrowAndWide) {
  const SplitCase& c = GetParam();
  const auto split = SplitWidths(c.widths, 1.5f, 4.5f);
  ASSERT_EQ(split.has_value(), c.splits);
  if (split) {
    EXPECT_NEAR(split->threshold, c.threshold, 0.01f);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, SplitTable, testing::ValuesIn(kSplits),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(RunTools, ReversedRowAndQuietZones) {
  RunRow row{{10, 2, 3, 4}, {0, 10, 12, 15}, 19};  // ends dark
  const RunRow back = Reversed(row);
  EXPECT_EQ(back.widths, (std::vector<float>{0, 4, 3, 2, 10}));
  EXPECT_EQ(back.starts, (std::vector<float>{0, 0, 4, 7, 9}));
  EXPECT_EQ(Reversed(back).widths, (std::vector<float>{10, 2, 3, 4, 0}));
  EXPECT_TRUE(QuietZone(row, 0, 10));
  EXPECT_TRUE(QuietZone(row, 0, 20));  // cut by the line start: half is enough
  EXPECT_FALSE(QuietZone(row, 0, 21));
  EXPECT_FALSE(QuietZone(row, 2, 5));  // inside the line: the whole width
  EXPECT_FALSE(QuietZone(row, 1, 1));  // a bar is no quiet zone
  EXPECT_FALSE(QuietZone(row, 9, 1));
}

}  // namespace
}  // namespace vexo::engine
