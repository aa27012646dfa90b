// Proof of every table entry of the postal decoders: zint encodes inputs that
// together use every digit, character and codeword value, and each decoder
// must read back exactly what went in. The Reed-Solomon parity is compared
// symbol for symbol with zint's.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "engine/postal/AustraliaPost.h"
#include "engine/postal/Planet.h"
#include "engine/postal/PostNet.h"
#include "engine/postal/ReedSolomon64.h"
#include "engine/postal/Rm4scc.h"
#include "engine/postal/Usps4cb.h"
#include "tests/engine/postal/PostalSymbols.h"

namespace vexo::test {
namespace {

using engine::BarState;
using Decoder = bool (*)(std::span<const BarState>, std::vector<UInt8>&);

std::string Text(const std::vector<UInt8>& bytes) { return {bytes.begin(), bytes.end()}; }

// The same digit throughout, for each digit.
std::vector<std::string> EveryDigit(std::size_t length) {
  std::vector<std::string> inputs;
  for (char d = '0'; d <= '9'; ++d) inputs.emplace_back(length, d);
  return inputs;
}

// `characters` cut into inputs of `perInput`, each behind `prefix`.
std::vector<std::string> Chunks(const std::string& prefix, const std::string& characters,
                                std::size_t perInput) {
  std::vector<std::string> inputs;
  for (std::size_t i = 0; i < characters.size(); i += perInput) {
    std::string chunk = characters.substr(i, perInput);
    chunk.resize(perInput, characters[0]);
    inputs.push_back(prefix + chunk);
  }
  return inputs;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct TableCase {
  const char* name;
  const char* zintType;
  Decoder decode;
  std::vector<std::string> inputs;
  std::vector<std::string> expected;  // empty: the inputs themselves
};
void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

const std::string kAusCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 #";

// Intelligent Mail inputs whose codewords B to I run through every value
// 0-1364 (eight new values per symbol), A and J along with them.
std::vector<std::string> EveryIntelligentMailCodeword() {
  __extension__ using Wide = unsigned __int128;
  std::vector<std::string> inputs;
  constexpr UInt32 kValues = 1365;
  for (UInt32 k = 0; k * 8 < kValues; ++k) {
    Wide number = k % 600;  // codeword A
    for (UInt32 position = 0; position < 8; ++position) {
      number = number * kValues + (k * 8 + position) % kValues;
    }
    number = number * 636 + (k * 7) % 636;  // codeword J
    std::string tracking(20, '0');
    for (int i = 19; i >= 2; --i) tracking[i] = static_cast<char>('0' + number % 10), number /= 10;
    tracking[1] = static_cast<char>('0' + number % 5), number /= 5;
    tracking[0] = static_cast<char>('0' + number % 10), number /= 10;
    auto routing = static_cast<UInt64>(number);
    std::string digits;
    if (routing >= 1'000'100'001) {
      digits = std::to_string(routing - 1'000'100'001), digits.insert(0, 11 - digits.size(), '0');
    } else if (routing >= 100'001) {
      digits = std::to_string(routing - 100'001), digits.insert(0, 9 - digits.size(), '0');
    } else if (routing >= 1) {
      digits = std::to_string(routing - 1), digits.insert(0, 5 - digits.size(), '0');
    }
    inputs.push_back(digits.empty() ? tracking : tracking + "-" + digits);
  }
  return inputs;
}

std::vector<std::string> WithoutDash(std::vector<std::string> inputs) {
  for (std::string& s : inputs) s.erase(std::remove(s.begin(), s.end(), '-'), s.end());
  return inputs;
}

std::vector<TableCase> Cases() {
  const std::vector<std::string> mail = EveryIntelligentMailCodeword();
  std::vector<std::string> rm4sccSingles;
  for (const char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
    rm4sccSingles.emplace_back(1, c);
  }
  const std::vector<std::string> cust2 = Chunks("12345678", kAusCharacters, 5);
  // Customer barcode 3 with capitals only would read as digits (see
  // ReadCustomerField): every input here has a character that no digit pair
  // makes.
  const std::vector<std::string> cust3{
      "87654321abcdefghij", "87654321klmnopqrst", "87654321uvwxyz #AB", "87654321CDEFGHIJKl",
      "87654321LMNOPQRSTe", "87654321UVWXYZ012s", "87654321345678 9d#"};
  return {
      {"PostNetDigits5", "POSTNET", engine::DecodePostNet, EveryDigit(5), {}},
      {"PostNetDigits9", "POSTNET", engine::DecodePostNet, EveryDigit(9), {}},
      {"PostNetDigits11", "POSTNET", engine::DecodePostNet, {"12345678901", "98765432109"}, {}},
      {"PlanetDigits11", "PLANET", engine::DecodePlanet, EveryDigit(11), {}},
      {"PlanetDigits13", "PLANET", engine::DecodePlanet, {"1234567890123", "9876543210987"}, {}},
      {"Rm4sccCharacters",
       "RM4SCC",
       engine::DecodeRm4scc,
       Joined(rm4sccSingles,
              {"SN34RD1A", "W1J0HE", "ZZZ999", "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"}),
       {}},
      {"AusPostDpidDigits", "AUSPOST", engine::DecodeAustraliaPost, EveryDigit(8), {}},
      {"AusReplyDigits", "AUSREPLY", engine::DecodeAustraliaPost, EveryDigit(8), {}},
      {"AusRouteDigits", "AUSROUTE", engine::DecodeAustraliaPost, EveryDigit(8), {}},
      {"AusRedirectDigits", "AUSREDIRECT", engine::DecodeAustraliaPost, EveryDigit(8), {}},
      {"AusCustomer2NTable",
       "AUSPOST",
       engine::DecodeAustraliaPost,
       {"1234567801234567", "5678901289012345"},
       {}},
      {"AusCustomer3NTable",
       "AUSPOST",
       engine::DecodeAustraliaPost,
       {"12345678012345678901234", "56789012987654321098765"},
       {}},
      {"AusCustomer2CTable", "AUSPOST", engine::DecodeAustraliaPost, cust2, {}},
      {"AusCustomer3CTable", "AUSPOST", engine::DecodeAustraliaPost, cust3, {}},
      {"IntelligentMailCodewords", "USPS_IMAIL", engine::DecodeUsps4cb, mail, WithoutDash(mail)},
  };
}

class PostalTable : public testing::TestWithParam<TableCase> {};

TEST_P(PostalTable, ZintSymbolsReadBack) {
  const TableCase& c = GetParam();
  const auto symbols = ZintBars(c.zintType, c.inputs);
  ASSERT_EQ(symbols.size(), c.inputs.size());
  const std::vector<std::string>& expected = c.expected.empty() ? c.inputs : c.expected;
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    std::vector<UInt8> content;
    EXPECT_TRUE(c.decode(symbols[i], content)) << c.inputs[i];
    EXPECT_EQ(Text(content), expected[i]) << c.inputs[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Postal, PostalTable, testing::ValuesIn(Cases()),
                         [](const auto& p) { return std::string(p.param.name); });

// The parity zint puts on Australia Post symbols of every format and table
// is the parity of our generator polynomial over the same data symbols.
TEST(ReedSolomon64, ParityMatchesZint) {
  struct Batch {
    const char* type;
    std::vector<std::string> inputs;
  };
  const std::vector<Batch> batches{
      {"AUSPOST", Joined(Joined(EveryDigit(8), Chunks("12345678", kAusCharacters, 5)),
                         {"12345678012345678901234", "1234567801234567", "87654321ABCDEFGHIJ"})},
      {"AUSREPLY", EveryDigit(8)},
      {"AUSROUTE", EveryDigit(8)},
      {"AUSREDIRECT", EveryDigit(8)},
  };
  int compared = 0;
  for (const Batch& batch : batches) {
    for (const auto& bars : ZintBars(batch.type, batch.inputs)) {
      std::vector<UInt8> symbols;
      for (std::size_t i = 2; i + 2 + 2 < bars.size(); i += 3) {
        symbols.push_back(static_cast<UInt8>(static_cast<int>(bars[i]) * 16 +
                                             static_cast<int>(bars[i + 1]) * 4 +
                                             static_cast<int>(bars[i + 2])));
      }
      ASSERT_GT(symbols.size(), 4u);
      std::array<UInt8, 4> parity{};
      engine::Gf64Parity({symbols.data(), symbols.size() - 4}, parity);
      EXPECT_TRUE(std::equal(parity.begin(), parity.end(), symbols.end() - 4)) << batch.type;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 10 + 13 + 3 + 3 * 10);
}

}  // namespace
}  // namespace vexo::test
