// Each postal decoder on bar-state rows spelled out (F full, A ascender, D
// descender, T tracker; tall Post Net and Planet bars are F, short ones D),
// symbols zint made and the same with bars changed: a row reads to its
// content or to nothing.

#include <gtest/gtest.h>

#include "engine/postal/AustraliaPost.h"
#include "engine/postal/Planet.h"
#include "engine/postal/PostNet.h"
#include "engine/postal/ReedSolomon64.h"
#include "engine/postal/Rm4scc.h"
#include "engine/postal/Usps4cb.h"
#include "tests/engine/bars/BarDrawing.h"

namespace vexo::test {
namespace {

using engine::BarState;
using Decoder = bool (*)(std::span<const BarState>, std::vector<UInt8>&);

constexpr char kPostNet12345[] = "FDDDFFDDFDFDDFFDDFDDFDFDFDDFDFDF";
constexpr char kPlanet11[] = "FFFFDDFFDFDFFDDFFDFFDFDFDFFDDFFDFFFDDFFDFDFDFFDDFFFFFFDDFDFFDF";
constexpr char kRm4scc[] = "AFTFTFDTADTAFDTFAFTADTFADTDAFDADAADDAF";
constexpr char kAusStandard[] = "ATFAFAFAFDAFAAADDFDADDTADDDTFAFTFTTAT";
constexpr char kAusCustomer3C[] =
    "ATDFFDFAFDAFAAADDFDADDFDTFTFFTAFTDFTTFFTAFTAATADTATFTAAADFAFDFAFFAT";
constexpr char kMail11[] = "AADTFFDFTDADTAADAATFDTDDAAADDTDTTDAFADADDDTFFFDDTTTADFAAADFTDAADA";

// `letters` with the bars at `positions` set to `state`.
std::string Changed(std::string letters, std::initializer_list<std::size_t> positions, char state) {
  for (const std::size_t p : positions) letters[p] = state;
  return letters;
}

// The bars as read from the other end.
std::string TurnedLetters(const char* letters) {
  return LettersOf(engine::TurnedOver(StatesOf(letters)));
}

struct DecoderCase {
  const char* name;
  Decoder decode;
  std::string bars;
  const char* content;  // nullptr: nothing is read
};
void PrintTo(const DecoderCase& c, std::ostream* os) { *os << c.name; }

const DecoderCase kCases[] = {
    {"PostNet5", engine::DecodePostNet, kPostNet12345, "12345"},
    {"PostNet9", engine::DecodePostNet, "FDDDFFDDFDFDDFFDDFDDFDFDFDDFFDDFDDDFFDDFDFDFDDDFDFDF",
     "123456789"},
    {"PostNet11", engine::DecodePostNet,
     "FDDDFFDDFDFDDFFDDFDDFDFDFDDFFDDFDDDFFDDFDFDFDDFFDDDDDDFFDFDDFF", "12345678901"},
    {"PostNetCheckDigitWrong", engine::DecodePostNet,
     Changed(Changed(kPostNet12345, {28}, 'F'), {29}, 'D'), nullptr},
    {"PostNetThreeTallInDigit", engine::DecodePostNet, Changed(kPostNet12345, {2}, 'F'), nullptr},
    {"PostNetNoFrameBar", engine::DecodePostNet, Changed(kPostNet12345, {31}, 'D'), nullptr},
    {"PostNetShortBarsHanging", engine::DecodePostNet, "FAAAFFAAFAFAAFFAAFAAFAFAFAAFAFAF", nullptr},
    {"PostNetFourDigits", engine::DecodePostNet, "FDDDFFDDFDFDDFFDDFDDFFFDDDF", nullptr},
    {"PostNetIsNoPlanet", engine::DecodePlanet, kPostNet12345, nullptr},
    {"Planet11", engine::DecodePlanet, kPlanet11, "12345678901"},
    {"Planet13", engine::DecodePlanet,
     "FFFFDDFFDFDFFDDFFDFFDFDFDFFDDFFDFFFDDFFDFDFDFFDDFFFFFFDDFFDFDFFDDFDFDFFF", "1234567890123"},
    {"PlanetCheckDigitWrong", engine::DecodePlanet, Changed(Changed(kPlanet11, {1}, 'D'), {4}, 'F'),
     nullptr},
    {"PlanetIsNoPostNet", engine::DecodePostNet, kPlanet11, nullptr},
    {"Rm4scc", engine::DecodeRm4scc, kRm4scc, "SN34RD1A"},
    {"Rm4sccShort", engine::DecodeRm4scc, "AAFDTTDAFADTFTTFFDFATTFFTFADTF", "W1J0HE"},
    {"Rm4sccChecksumWrong", engine::DecodeRm4scc,
     Changed(Changed(kRm4scc, {33, 36}, 'D'), {34, 35}, 'A'), nullptr},
    {"Rm4sccBadCharacter", engine::DecodeRm4scc, Changed(kRm4scc, {1}, 'T'), nullptr},
    {"Rm4sccNoStart", engine::DecodeRm4scc, Changed(kRm4scc, {0}, 'F'), nullptr},
    {"Rm4sccReversed", engine::DecodeRm4scc, TurnedLetters(kRm4scc), nullptr},
    {"AusStandard", engine::DecodeAustraliaPost, kAusStandard, "12345678"},
    {"AusReplyPaid", engine::DecodeAustraliaPost, "ATAAADFAFDAFAAADDFDADDTTATDADDDTFDAAT",
     "12345678"},
    {"AusRouting", engine::DecodeAustraliaPost, "ATDDDADDDADFADAAAFFDFATAAFTATAFDATFAT",
     "87654321"},
    {"AusRedirection", engine::DecodeAustraliaPost, "ATTFFDADDFDADDFAFDAFAATFADDFADDTAAFAT",
     "56781234"},
    {"AusCustomer2C", engine::DecodeAustraliaPost,
     "ATADTFFAFDAFAAADDFDADDFFFFFAFFDFAFFAATDDADFATFFDAAAT", "12345678ABCDE"},
    {"AusCustomer2N", engine::DecodeAustraliaPost,
     "ATADTFAFTFFDAAADDFAADAFAFDAFAAADDFDADDDTTDTDDFAFTTAT", "3924564712345678"},
    {"AusCustomer3C", engine::DecodeAustraliaPost, kAusCustomer3C, "12345678abcde fghi"},
    {"AusCustomer3N", engine::DecodeAustraliaPost,
     "ATDFFDFAFDAFAAADDFDADDFFFAFDAFAAADDFDADDTFFFFAFDAFAATDATATADTDTFFAT",
     "12345678012345678901234"},
    // Symbols are bars 2-4, 5-7, ...: two damaged symbols are corrected.
    {"AusOneSymbolDamaged", engine::DecodeAustraliaPost, Changed(kAusStandard, {8, 9, 10}, 'T'),
     "12345678"},
    {"AusTwoSymbolsDamaged", engine::DecodeAustraliaPost, Changed(kAusStandard, {5, 20}, 'T'),
     "12345678"},
    {"AusParityDamaged", engine::DecodeAustraliaPost, Changed(kAusStandard, {23, 33}, 'F'),
     "12345678"},
    {"AusCustomerTwoDamaged", engine::DecodeAustraliaPost,
     Changed(kAusCustomer3C, {25, 45, 46}, 'A'), "12345678abcde fghi"},
    {"AusThreeSymbolsDamaged", engine::DecodeAustraliaPost, Changed(kAusStandard, {5, 11, 20}, 'T'),
     nullptr},
    {"AusStartDamaged", engine::DecodeAustraliaPost, Changed(kAusStandard, {0}, 'F'), nullptr},
    {"AusReversed", engine::DecodeAustraliaPost, TurnedLetters(kAusStandard), nullptr},
    {"AusWrongLength", engine::DecodeAustraliaPost, "ATFAFAFAFDAFAAADDFDADDTADDDTFAFTFTTFFAT",
     nullptr},
    {"Mail11", engine::DecodeUsps4cb, kMail11, "0123456709498765432101234567891"},
    {"Mail0", engine::DecodeUsps4cb,
     "ATTFATTDTTADTAATTDTDTATTDAFDDFADFDFTFFFFFTATFAAAATDFFTDAADFTFDTDT", "01234567094987654321"},
    {"Mail5", engine::DecodeUsps4cb,
     "DTTAFADDTTFTDTFTFDTDDADADAFADFATDDFTAAAFDTTADFAAATDFDTDFADDDTDFFT",
     "0123456709498765432101234"},
    {"Mail9", engine::DecodeUsps4cb,
     "ADFTTAFDTTTTFATTADTAAATFTFTATDAAAFDDADATATDTDTTDFDTDATADADTDFFTFA",
     "01234567094987654321012345678"},
    {"MailOneBarChanged", engine::DecodeUsps4cb, Changed(kMail11, {30}, 'T'), nullptr},
    {"MailReversed", engine::DecodeUsps4cb, TurnedLetters(kMail11), nullptr},
    {"MailShort", engine::DecodeUsps4cb, std::string(kMail11).substr(1), nullptr},
};

class PostalDecoder : public testing::TestWithParam<DecoderCase> {};

TEST_P(PostalDecoder, ReadsContentOrNothing) {
  const DecoderCase& c = GetParam();
  std::vector<UInt8> content{'x'};
  const bool read = c.decode(StatesOf(c.bars), content);
  if (c.content == nullptr) {
    EXPECT_FALSE(read);
    EXPECT_EQ(std::string(content.begin(), content.end()), "x");  // untouched
  } else {
    EXPECT_TRUE(read);
    EXPECT_EQ(std::string(content.begin(), content.end()), c.content);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, PostalDecoder, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// The customer information field: bar values 0-3; N digits are pairs, C
// characters triples; filler (3) ends the field.
struct FieldCase {
  const char* name;
  std::vector<UInt8> values;
  const char* text;  // nullptr: unreadable
};
void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

const FieldCase kFieldCases[] = {
    {"EightDigits", {0, 1, 0, 2, 1, 0, 1, 1, 1, 2, 2, 0, 2, 1, 2, 2}, "12345678"},
    {"FifteenDigitsAndFiller",
     {3, 0, 0, 0, 0, 1, 0, 2, 1, 0, 1, 1, 1, 2, 2, 0, 2, 1, 2, 2, 3, 0, 0, 0, 0, 1, 0, 2, 1, 0, 3},
     "901234567890123"},
    {"CharactersThenFiller", {0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 1, 0, 0, 1, 1, 3}, "ABCDE"},
    // As N these would be 7 digits and filler: digits that stop short of the
    // end are read with the C table, as the encoders write them.
    {"CharactersEndingInFiller", {0, 0, 0, 0, 0, 1, 0, 0, 2, 0, 1, 0, 0, 0, 3, 3}, "ABCD "},
    {"ShortDigitsReadAsCharacters", {0, 1, 0, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, "Ds"},
    {"SpaceHashAndLowerCase", {0, 0, 3, 0, 1, 3, 0, 2, 3, 3, 3, 2, 3}, " #ay"},
    {"AllFiller", {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, ""},
    {"LastBarNotFiller", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 1}, nullptr},
};

class CustomerField : public testing::TestWithParam<FieldCase> {};

TEST_P(CustomerField, ReadsWithTheFittingTable) {
  const FieldCase& c = GetParam();
  std::vector<UInt8> text;
  const bool read = engine::ReadCustomerField(c.values, text);
  EXPECT_EQ(read, c.text != nullptr);
  if (read && c.text != nullptr) {
    EXPECT_EQ(std::string(text.begin(), text.end()), c.text);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CustomerField, testing::ValuesIn(kFieldCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Errors at every pair of positions of a codeword of 21 symbols are
// corrected; three errors are never turned into a different codeword here.
TEST(ReedSolomon64, CorrectsUpToTwoErrorsAnywhere) {
  std::vector<UInt8> codeword(21);
  for (std::size_t i = 0; i < 17; ++i) codeword[i] = static_cast<UInt8>((i * 37 + 5) % 64);
  engine::Gf64Parity({codeword.data(), 17}, {codeword.data() + 17, 4});
  std::vector<UInt8> clean = codeword;
  ASSERT_TRUE(engine::Gf64Correct(clean, 4));
  EXPECT_EQ(clean, codeword);
  for (std::size_t a = 0; a < codeword.size(); ++a) {
    for (std::size_t b = a; b < codeword.size(); ++b) {
      std::vector<UInt8> damaged = codeword;
      damaged[a] ^= static_cast<UInt8>(1 + a % 63);
      damaged[b] ^= static_cast<UInt8>(1 + (b * 7) % 63);
      ASSERT_TRUE(engine::Gf64Correct(damaged, 4)) << a << ' ' << b;
      EXPECT_EQ(damaged, codeword) << a << ' ' << b;
    }
  }
  std::vector<UInt8> three = codeword;
  three[0] ^= 1, three[7] ^= 2, three[15] ^= 3;
  const std::vector<UInt8> before = three;
  EXPECT_FALSE(engine::Gf64Correct(three, 4));
  EXPECT_EQ(three, before);  // left as it was
}

}  // namespace
}  // namespace vexo::test
