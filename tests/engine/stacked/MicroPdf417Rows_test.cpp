// Symbol rows drawn as run widths from the tables, fed to the row reader and
// the row joiner: module widths, ink spread, reading direction, quiet zone;
// symbols joined from rows, apart and damaged.

#include "engine/stacked/MicroPdf417Rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/stacked/Gf929.h"
#include "engine/stacked/MicroPdf417Symbol.h"
#include "engine/stacked/MicroPdf417Tables.h"

namespace vexo::engine::micropdf {
namespace {

struct Drawing {
  double module = 2.0;
  double spread = 0;  // added to every bar, taken from the spaces beside it
  int quietModules = 2;
  bool reversed = false;  // drawn right to left
};

// Row `row` of size `sizeIndex` holding `codewords`, as a scan line.
RunRow DrawRow(int sizeIndex, int row, const std::vector<int>& codewords, const Drawing& d) {
  const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(sizeIndex)];
  const int cluster = (size.leftStart - 1 + row) % 3;
  std::vector<int> modules{d.quietModules};
  auto add = [&](UInt32 bits, int count) {
    // Patterns start with a bar after a space: append their runs in turn.
    int run = 0;
    bool bar = true;
    for (int k = count - 1; k >= 0; --k) {
      const bool isBar = ((bits >> k) & 1U) != 0;
      if (isBar == bar) {
        ++run;
      } else {
        modules.push_back(run);
        run = 1;
        bar = isBar;
      }
    }
    modules.push_back(run);
  };
  add(kSideRowAddress[(size.leftStart - 1 + row) % 52], 10);
  for (int c = 0; c < size.columns; ++c) {
    if (size.centreStart != 0 && c == (size.columns == 3 ? 1 : 2)) {
      add(kCentreRowAddress[(size.centreStart - 1 + row) % 52], 10);
    }
    add(kCodewordPatterns[cluster][codewords[static_cast<std::size_t>(c)]], 17);
  }
  add(kSideRowAddress[(size.rightStart - 1 + row) % 52], 10);
  modules.push_back(1);  // stop bar
  modules.push_back(d.quietModules);
  if (d.reversed) std::reverse(modules.begin(), modules.end());
  RunRow line;
  float at = 0;
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const bool bar = i % 2 == 1;
    float width = static_cast<float>(modules[i] * d.module);
    if (i > 0 && i + 1 < modules.size()) width += static_cast<float>(bar ? d.spread : -d.spread);
    line.starts.push_back(at);
    line.widths.push_back(width);
    at += width;
  }
  line.length = at;
  return line;
}

struct RowCase {
  const char* name;
  int sizeIndex;
  int row;
  Drawing drawing;
  bool read;
};
void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

const RowCase kRowCases[] = {
    {"OneColumn", 0, 3, {}, true},
    {"TwoColumns", 8, 0, {}, true},
    {"ThreeColumns", 20, 25, {}, true},
    {"FourColumns", 33, 43, {}, true},
    {"FourColumnsReversed", 30, 7, {2.0, 0, 2, true}, true},
    {"OddModuleWidth", 15, 4, {2.6, 0, 2, false}, true},
    {"InkSpreadQuarterModule", 25, 2, {3.0, 0.75, 2, false}, true},
    {"ReversedWithSpread", 5, 27, {2.0, -0.4, 2, true}, true},
    {"NoQuietZone", 10, 1, {2.0, 0, 0, false}, false},
};

class RowReading : public testing::TestWithParam<RowCase> {};

TEST_P(RowReading, GivesRowAddressesAndCodewords) {
  const RowCase& c = GetParam();
  const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(c.sizeIndex)];
  const std::vector<int> codewords{17, 900, 455, 928};
  std::vector<RowRead> reads;
  ReadRows(DrawRow(c.sizeIndex, c.row, codewords, c.drawing), reads);
  if (!c.read) {
    EXPECT_TRUE(reads.empty());
    return;
  }
  ASSERT_EQ(reads.size(), 1U);
  const RowRead& r = reads[0];
  EXPECT_EQ(r.columns, size.columns);
  EXPECT_EQ(r.left, (size.leftStart - 1 + c.row) % 52 + 1);
  EXPECT_EQ(r.right, (size.rightStart - 1 + c.row) % 52 + 1);
  EXPECT_EQ(r.centre, size.centreStart == 0 ? 0 : (size.centreStart - 1 + c.row) % 52 + 1);
  for (int k = 0; k < size.columns; ++k) EXPECT_EQ(r.codewords[k], codewords[k]) << k;
  EXPECT_EQ(r.leftEdge > r.rightEdge, c.drawing.reversed);
  EXPECT_NEAR(r.module, c.drawing.module, 0.1 * c.drawing.module);
}

INSTANTIATE_TEST_SUITE_P(MicroPdf417Rows, RowReading, testing::ValuesIn(kRowCases),
                         [](const auto& p) { return std::string(p.param.name); });

// A whole symbol of size `sizeIndex` drawn as rows, `lines` scan lines a row.
std::vector<PlacedRow> DrawSymbolRows(int sizeIndex, const std::vector<int>& codewords, float top,
                                      int lines, float shift = 0) {
  const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(sizeIndex)];
  std::vector<PlacedRow> placed;
  for (int r = 0; r < size.rows; ++r) {
    const std::vector<int> row(codewords.begin() + r * size.columns,
                               codewords.begin() + (r + 1) * size.columns);
    for (int l = 0; l < lines; ++l) {
      std::vector<RowRead> reads;
      ReadRows(DrawRow(sizeIndex, r, row, {}), reads);
      for (RowRead& read : reads) {
        read.leftEdge += shift;
        read.rightEdge += shift;
        placed.push_back({read, top + static_cast<float>(r * lines + l) + 0.5F});
      }
    }
  }
  return placed;
}

// The codewords of a size for text "ABC..." with padding and error correction.
std::vector<int> SymbolCodewords(int sizeIndex) {
  const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(sizeIndex)];
  std::vector<int> data{1, 63};  // "ABCD"
  data.resize(static_cast<std::size_t>(size.rows * size.columns - size.ecCount), 900);
  const std::vector<int> ec = gf929::EcCodewords(data, size.ecCount);
  data.insert(data.end(), ec.begin(), ec.end());
  return data;
}

struct JoinCase {
  const char* name;
  int sizeIndex;
  std::vector<int> lostRows;     // rows no line reads
  std::vector<int> wrongPlaces;  // codewords misread on every line
  bool read;
};
void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.name; }

const JoinCase kJoinCases[] = {
    {"Whole", 13, {}, {}, true},
    {"TwoRowsLostOfSix", 13, {1, 4}, {}, true},                 // 6 erasures of 12
    {"FourRowsLostOfSixRefused", 13, {0, 1, 3, 4}, {}, false},  // 12 of 12, none spare
    {"ThreeErrors", 23, {}, {0, 5, 9}, true},                   // 6 of 8
    {"FiveErrorsRefused", 23, {}, {0, 5, 9, 12, 14}, false},
    {"ErasuresAndErrorsLeaveTwoSpare", 33, {2, 3, 4}, {40, 41}, true},  // 12 + 4 of 50
};

class Joining : public testing::TestWithParam<JoinCase> {};

TEST_P(Joining, ReadsWithinTheCorrectionOnly) {
  const JoinCase& c = GetParam();
  std::vector<int> codewords = SymbolCodewords(c.sizeIndex);
  for (int place : c.wrongPlaces)
    codewords[static_cast<std::size_t>(place)] = (codewords[place] + 1) % 929;
  std::vector<PlacedRow> rows = DrawSymbolRows(c.sizeIndex, codewords, 10, 3);
  std::erase_if(rows, [&](const PlacedRow& p) {
    const int row =
        (p.row.left - kSymbolSizes[static_cast<std::size_t>(c.sizeIndex)].leftStart + 52) % 52;
    return std::find(c.lostRows.begin(), c.lostRows.end(), row) != c.lostRows.end();
  });
  const std::vector<SymbolRead> symbols = JoinRows(rows);
  if (!c.read) {
    EXPECT_TRUE(symbols.empty());
    return;
  }
  ASSERT_EQ(symbols.size(), 1U);
  EXPECT_EQ(std::string(symbols[0].content.begin(), symbols[0].content.end()), "ABCD");
}

INSTANTIATE_TEST_SUITE_P(MicroPdf417Rows, Joining, testing::ValuesIn(kJoinCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(MicroPdf417Rows, TwoSymbolsOfOneSizeStayApart) {
  const std::vector<int> codewords = SymbolCodewords(20);
  std::vector<PlacedRow> rows = DrawSymbolRows(20, codewords, 0, 2);
  const std::vector<PlacedRow> beside = DrawSymbolRows(20, codewords, 0, 2, 400);
  const std::vector<PlacedRow> below = DrawSymbolRows(20, codewords, 200, 2);
  rows.insert(rows.end(), beside.begin(), beside.end());
  rows.insert(rows.end(), below.begin(), below.end());
  const std::vector<SymbolRead> symbols = JoinRows(rows);
  ASSERT_EQ(symbols.size(), 3U);
  std::vector<std::pair<float, float>> topLefts;
  for (const SymbolRead& s : symbols) topLefts.emplace_back(s.corners[0][0], s.corners[0][1]);
  std::sort(topLefts.begin(), topLefts.end());
  EXPECT_NEAR(topLefts[0].second, 0, 1);
  EXPECT_NEAR(topLefts[1].second, 200, 1);
  EXPECT_NEAR(topLefts[2].first, topLefts[0].first + 400, 1);
}

}  // namespace
}  // namespace vexo::engine::micropdf
