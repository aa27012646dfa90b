// Reed-Solomon over GF(929): codewords with errors and erasures in, the
// message back or a refusal out.

#include "engine/stacked/Gf929.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexo::engine::gf929 {
namespace {

struct Damage {
  int position;
  int value;  // written over the codeword
};

struct CorrectCase {
  const char* name;
  int dataCount;
  int ecCount;
  std::vector<Damage> errors;
  std::vector<int> erasures;  // positions, their codewords zeroed
  int expected;               // codewords changed, -1 refused
};
void PrintTo(const CorrectCase& c, std::ostream* os) { *os << c.name; }

const CorrectCase kCases[] = {
    {"Clean", 10, 7, {}, {}, 0},
    {"OneError", 10, 7, {{3, 17}}, {}, 1},
    {"ThreeErrorsOfSeven", 10, 7, {{0, 1}, {9, 928}, {16, 0}}, {}, 3},
    {"FourErrorsOfSevenRefused", 10, 7, {{0, 1}, {5, 5}, {9, 928}, {16, 0}}, {}, -1},
    {"SevenErasures", 10, 7, {}, {0, 2, 4, 6, 8, 10, 12}, 7},
    {"EightErasuresRefused", 10, 7, {}, {0, 1, 2, 3, 4, 5, 6, 7}, -1},
    {"TwoErrorsThreeErasures", 20, 8, {{1, 500}, {25, 7}}, {4, 11, 19}, 5},
    {"ThreeErrorsThreeErasuresRefused", 20, 8, {{1, 500}, {25, 7}, {13, 99}}, {4, 11, 19}, -1},
    {"LargestSymbol", 126, 50, {{0, 1}, {60, 2}, {120, 3}, {175, 4}}, {10, 11, 12}, 7},
    {"TwentyFiveErrorsOfFifty",
     126,
     50,
     {{0, 1},    {7, 2},    {14, 3},   {21, 4},   {28, 5},   {35, 6},   {42, 7},
      {49, 8},   {56, 9},   {63, 10},  {70, 11},  {77, 12},  {84, 13},  {91, 14},
      {98, 15},  {105, 16}, {112, 17}, {119, 18}, {126, 19}, {133, 20}, {140, 21},
      {147, 22}, {154, 23}, {161, 24}, {168, 25}},
     {},
     25},
};

class Correction : public testing::TestWithParam<CorrectCase> {};

TEST_P(Correction, RestoresOrRefuses) {
  const CorrectCase& c = GetParam();
  std::vector<int> message;
  for (int i = 0; i < c.dataCount; ++i) message.push_back((i * 389 + 17) % kPrime);
  const std::vector<int> ec = EcCodewords(message, c.ecCount);
  ASSERT_EQ(static_cast<int>(ec.size()), c.ecCount);
  std::vector<int> sent = message;
  sent.insert(sent.end(), ec.begin(), ec.end());
  std::vector<int> received = sent;
  for (const Damage& d : c.errors) {
    ASSERT_NE(received[d.position], d.value) << "a damage that changes nothing";
    received[d.position] = d.value;
  }
  for (int position : c.erasures) received[position] = 0;
  const std::vector<int> before = received;
  const int changed = Correct(received, c.ecCount, c.erasures);
  if (c.expected < 0) {
    EXPECT_EQ(changed, -1);
    EXPECT_EQ(received, before);
    return;
  }
  EXPECT_EQ(received, sent);
  // An erased codeword that was 0 already needs no change.
  int zeroErasures = 0;
  for (int position : c.erasures) zeroErasures += sent[position] == 0 ? 1 : 0;
  EXPECT_EQ(changed, c.expected - zeroErasures);
}

INSTANTIATE_TEST_SUITE_P(Gf929, Correction, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Gf929, RefusesCodewordsOutOfTheField) {
  std::vector<int> codewords{1, 2, 929, 4, 5};
  EXPECT_EQ(Correct(codewords, 2), -1);
  std::vector<int> tooFewData{1, 2};
  EXPECT_EQ(Correct(tooFewData, 2), -1);
}

}  // namespace
}  // namespace vexo::engine::gf929
