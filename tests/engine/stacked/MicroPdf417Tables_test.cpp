// The Micro PDF417 tables proven with zint-made symbols: every codeword
// pattern of every cluster, the row address patterns of every row of every
// symbol size, the error-correction counts, and the text compaction tables.
// zint draws symbols of data we choose; we compute the codewords they must
// hold (byte compaction, our own error-correction encoder) and compare them
// module by module.

#include "engine/stacked/MicroPdf417Tables.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/stacked/Gf929.h"
#include "engine/stacked/MicroPdf417Symbol.h"
#include "tests/support/TempDir.h"

namespace vexo::engine::micropdf {
namespace {

// Where a row's codewords start, by column count; the centre row address
// pattern stands after the first codeword of three, the second of four.
int CodewordAt(int columns, int column) {
  static const int kAt[4][4] = {{10}, {10, 27}, {10, 37, 54}, {10, 27, 54, 71}};
  return kAt[columns - 1][column];
}
int CentreAt(int columns) { return columns == 3 ? 27 : 44; }

// The module rows of the symbols zint makes of each message (one a line).
std::vector<std::string> ZintRows(const std::vector<std::string>& messages, int columns,
                                  const std::string& options = "--binary") {
  test::TempDir dir;
  const std::string input = dir.File("messages");
  std::ofstream(input, std::ios::binary) << [&] {
    std::string all;
    for (const std::string& m : messages) all += m + "\n";
    return all;
  }();
  const std::string command = "zint -b MICROPDF417 --batch --dump " + options +
                              " --cols=" + std::to_string(columns) + " -i " + input;
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::vector<std::string> rows;
  std::string row;
  for (int ch; pipe && (ch = std::fgetc(pipe.get())) != EOF;) {
    if (ch == '\n') {
      if (!row.empty()) rows.push_back(row);
      row.clear();
    } else if (std::isxdigit(ch)) {
      row += std::bitset<4>(
                 static_cast<unsigned long>(std::stoi(std::string(1, char(ch)), nullptr, 16)))
                 .to_string();
    }
  }
  return rows;
}

std::string Bits(UInt32 pattern, int modules) {
  return std::bitset<32>(pattern).to_string().substr(32 - static_cast<std::size_t>(modules));
}

// Byte compaction of `bytes`, as an encoder writes it: latch 924 for whole
// groups of six, else 901 with the rest one byte a codeword.
std::vector<int> ByteCodewords(const std::string& bytes) {
  std::vector<int> out{bytes.size() % 6 == 0 ? 924 : 901};
  std::size_t i = 0;
  for (; i + 6 <= bytes.size(); i += 6) {
    UInt64 v = 0;
    for (std::size_t k = 0; k < 6; ++k) v = (v << 8) | static_cast<UInt8>(bytes[i + k]);
    for (int k = 4; k >= 0; --k) {
      out.push_back(static_cast<int>(v / [](int p) {
        UInt64 r = 1;
        while (p-- > 0) r *= 900;
        return r;
      }(k) % 900));
    }
  }
  for (; i < bytes.size(); ++i) out.push_back(static_cast<UInt8>(bytes[i]));
  return out;
}

// All of a size's codewords for the message, padding and error correction included.
std::vector<int> SymbolCodewords(const std::string& message, const SymbolSize& size) {
  std::vector<int> codewords = ByteCodewords(message);
  codewords.resize(static_cast<std::size_t>(size.rows * size.columns - size.ecCount), 900);
  const std::vector<int> ec = gf929::EcCodewords(codewords, size.ecCount);
  codewords.insert(codewords.end(), ec.begin(), ec.end());
  return codewords;
}

// High bytes only: zint keeps to byte compaction, and no line break splits a message.
std::string Message(std::mt19937& random, std::size_t length) {
  std::string m;
  for (std::size_t i = 0; i < length; ++i) m += static_cast<char>(0x80 | (random() & 0x7F));
  return m;
}

std::size_t MessageLength(const SymbolSize& size) {
  const int capacity = size.rows * size.columns - size.ecCount;
  return static_cast<std::size_t>((capacity - 1) / 5 * 6 + (capacity - 1) % 5);
}

int ClusterIndex(int row, const SymbolSize& size) { return (size.leftStart - 1 + row) % 3; }

TEST(MicroPdf417Tables, EveryCodewordPatternOfEveryCluster) {
  // The largest size holds 176 codewords a symbol; random messages and their
  // error correction reach every value of every cluster within these batches.
  const SymbolSize& size = kSymbolSizes.back();
  std::mt19937 random(417);
  std::vector<bool> seen(kClusterCount * kCodewordCount, false);
  std::size_t seenCount = 0, mismatches = 0;
  for (int batch = 0; batch < 12 && seenCount < seen.size(); ++batch) {
    std::vector<std::string> messages;
    for (int k = 0; k < 50; ++k) messages.push_back(Message(random, MessageLength(size)));
    const std::vector<std::string> rows = ZintRows(messages, size.columns);
    ASSERT_EQ(rows.size(), messages.size() * size.rows);
    for (std::size_t m = 0; m < messages.size(); ++m) {
      const std::vector<int> codewords = SymbolCodewords(messages[m], size);
      for (int r = 0; r < size.rows; ++r) {
        const std::string& bits = rows[m * size.rows + static_cast<std::size_t>(r)];
        const int cluster = ClusterIndex(r, size);
        for (int c = 0; c < size.columns; ++c) {
          const int value = codewords[static_cast<std::size_t>(r * size.columns + c)];
          const std::string expected = Bits(kCodewordPatterns[cluster][value], kCodewordModules);
          if (bits.substr(static_cast<std::size_t>(CodewordAt(size.columns, c)), 17) != expected) {
            ADD_FAILURE() << "cluster " << 3 * cluster << " codeword " << value;
            if (++mismatches > 10) return;
          }
          const std::size_t key = static_cast<std::size_t>(cluster * kCodewordCount + value);
          if (!seen[key]) ++seenCount, seen[key] = true;
        }
      }
    }
  }
  EXPECT_EQ(seenCount, seen.size()) << "entries not reached by the batches";
}

class SizeRows : public testing::TestWithParam<int> {};

// Each size: zint picks it for a message that fills it, and every row shows
// the row address patterns and codewords the tables give.
TEST_P(SizeRows, RowAddressesAndCodewordsOfEveryRow) {
  const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(GetParam())];
  std::mt19937 random(static_cast<unsigned>(GetParam()));
  const std::string message = Message(random, MessageLength(size));
  const std::vector<std::string> rows = ZintRows({message}, size.columns);
  ASSERT_EQ(rows.size(), size.rows);
  const std::vector<int> codewords = SymbolCodewords(message, size);
  const std::size_t right =
      static_cast<std::size_t>(CodewordAt(size.columns, size.columns - 1) + 17);
  for (int r = 0; r < size.rows; ++r) {
    const std::string& bits = rows[static_cast<std::size_t>(r)];
    SCOPED_TRACE("row " + std::to_string(r));
    EXPECT_EQ(bits.substr(0, 10), Bits(kSideRowAddress[(size.leftStart - 1 + r) % 52], 10));
    EXPECT_EQ(bits.substr(right, 11),
              Bits(kSideRowAddress[(size.rightStart - 1 + r) % 52], 10) + "1");
    if (size.centreStart != 0) {
      EXPECT_EQ(bits.substr(static_cast<std::size_t>(CentreAt(size.columns)), 10),
                Bits(kCentreRowAddress[(size.centreStart - 1 + r) % 52], 10));
    }
    for (int c = 0; c < size.columns; ++c) {
      const int value = codewords[static_cast<std::size_t>(r * size.columns + c)];
      EXPECT_EQ(bits.substr(static_cast<std::size_t>(CodewordAt(size.columns, c)), 17),
                Bits(kCodewordPatterns[ClusterIndex(r, size)][value], kCodewordModules));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(MicroPdf417Tables, SizeRows, testing::Range(0, kSymbolSizeCount),
                         [](const auto& p) {
                           const SymbolSize& s = kSymbolSizes[static_cast<std::size_t>(p.param)];
                           return std::to_string(s.columns) + "x" + std::to_string(s.rows);
                         });

// The codewords of a zint symbol, read module by module through the tables.
std::vector<int> ReadCodewords(const std::vector<std::string>& rows, const SymbolSize& size) {
  std::vector<int> codewords;
  for (int r = 0; r < size.rows; ++r) {
    for (int c = 0; c < size.columns; ++c) {
      const std::string bits = rows[static_cast<std::size_t>(r)].substr(
          static_cast<std::size_t>(CodewordAt(size.columns, c)), 17);
      const auto& table = kCodewordPatterns[ClusterIndex(r, size)];
      int value = -1;
      for (int v = 0; v < kCodewordCount && value < 0; ++v) {
        if (Bits(table[v], 17) == bits) value = v;
      }
      codewords.push_back(value);
    }
  }
  return codewords;
}

// Every printable character, tab and carriage return through zint's text
// compaction and back.
TEST(MicroPdf417Tables, EveryPrintableCharacterThroughText) {
  std::string text = "\t\r";
  for (char ch = ' '; ch <= '~'; ++ch) text += ch;
  const std::vector<std::string> rows = ZintRows({text}, 4);
  bool found = false;
  for (int s = 0; s < kSymbolSizeCount; ++s) {
    const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(s)];
    if (size.columns != 4 || size.rows != static_cast<int>(rows.size())) continue;
    std::vector<UInt8> content;
    ASSERT_TRUE(DecodeCodewords(ReadCodewords(rows, size), s, content));
    EXPECT_EQ(std::string(content.begin(), content.end()), text);
    found = true;
  }
  EXPECT_TRUE(found) << rows.size() << " rows";
}

}  // namespace
}  // namespace vexo::engine::micropdf
