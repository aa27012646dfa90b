// Content in the characters that were written: zint symbols holding text in
// many character sets, with and without ECIs, and binary data, read through
// the engine. Text comes out in UTF-8; binary data as the symbol's bytes.

#include <gtest/gtest.h>

#include <string_view>

#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

using namespace std::string_view_literals;

constexpr UInt32 kAllMatrix[] = {0x08000001, 0x10000001, 0x20002000, 0x21000000, 0x22000000};

struct ContentCase {
  const char* name;
  const char* zint;          // zint arguments; --esc makes \xNN a byte
  std::string_view content;  // the record's content bytes
};
void PrintTo(const ContentCase& c, std::ostream* os) { *os << c.name; }

const ContentCase kContentCases[] = {
    {"QrKanjiMode", "QRCODE -d '日本語テキスト'", "日本語テキスト"},
    {"QrShiftJisBytes", "QRCODE --binary --esc -d '\\x93\\xFA\\x96\\x7B\\x8C\\xEA'", "日本語"},
    {"QrShiftJisEci", "QRCODE --eci=20 -d '営業 10:00〜18:00'", "営業 10:00〜18:00"},
    {"QrShiftJisEciTab", "QRCODE --eci=20 --esc -d '日本\\t語'", "日本\t語"},
    {"QrShiftJisNewline", "QRCODE --esc -d '日本\\n語'", "日本\n語"},
    {"QrLatin1", "QRCODE -d 'Grüße'", "Grüße"},
    {"QrLatin1Eci", "QRCODE --eci=3 -d 'Histórico'", "Histórico"},
    {"QrUtf8Eci", "QRCODE --eci=26 -d 'Grüße ☃'", "Grüße ☃"},
    {"QrUtf8NoEci", "QRCODE --binary -d 'Grüße ☃'", "Grüße ☃"},
    {"QrMixedEciSegments", "QRCODE --eci=3 -d 'Grüße' --seg1=20,'日本' --seg2=26,'☃€'",
     "Grüße日本☃€"},
    {"QrAsciiThenUtf8Segment", "QRCODE -d 'ABC' --seg1=26,'ü'", "ABCü"},
    {"QrBackslashUtf8Eci", "QRCODE --eci=26 --esc -d 'A\\\\B ü'", "A\\B ü"},
    {"AztecLatin1", "AZTEC -d 'Histórico'", "Histórico"},
    {"AztecUtf8Eci", "AZTEC --eci=26 -d 'Grüße ☃'", "Grüße ☃"},
    {"DataMatrixLatin1", "DATAMATRIX -d 'Histórico'", "Histórico"},
    {"DataMatrixCyrillicEci", "DATAMATRIX --eci=7 -d 'Привет'", "Привет"},
    {"Pdf417Latin1", "PDF417 -d 'Histórico'", "Histórico"},
    {"Pdf417ShiftJisEci", "PDF417 --eci=20 -d '日本語'", "日本語"},
    {"MaxiCodeLatin1", "MAXICODE -d 'Histórico 12345'", "Histórico 12345"},
    {"Code128Latin1", "CODE128 --notext -d 'Histórico'", "Histórico"},
    // Binary data and text that cannot be told from it keep the symbol's bytes.
    {"QrBinary", "QRCODE --binary --esc -d '\\x00\\x01\\xFF\\xFE\\x80ABC'",
     "\x00\x01\xFF\xFE\x80"
     "ABC"sv},
    {"QrBinaryEci", "QRCODE --eci=899 --binary --esc -d '\\x00\\xFF\\x80ABC'",
     "\x00\xFF\x80"
     "ABC"sv},
    {"QrBinaryNoControls", "QRCODE --binary --esc -d '\\xFF\\xFE\\x80\\x90ABC'",
     "\xFF\xFE\x80\x90"
     "ABC"},
    {"QrTextThenBinarySegment", "QRCODE --eci=3 -d 'Grüße' --seg1=899,'ABC'",
     "Gr\xFC\xDF"
     "eABC"},
    {"QrInvalidUtf8UnderEci", "QRCODE --eci=26 --binary --esc -d 'Gr\\xC3e'",
     "Gr\xC3"
     "e"},
    {"DataMatrixBinary", "DATAMATRIX --binary --esc -d '\\x00\\xC3\\x28\\xFF'",
     "\x00\xC3\x28\xFF"sv},
    {"Pdf417Binary", "PDF417 --binary --esc -d '\\x00\\xC3\\x28\\xFF'", "\x00\xC3\x28\xFF"sv},
    {"QrLatin1WithTab", "QRCODE --binary --esc -d 'Caf\\xE9\\tx'", "Caf\xE9\tx"},
    {"QrPngHeader", "QRCODE --binary --esc -d '\\x89PNG\\r\\n\\x1A\\n'", "\x89PNG\r\n\x1A\n"},
    {"QrGs1", "QRCODE --gs1 -d '[01]12345678901231[10]AB'", "011234567890123110AB"},
};

// One row per ECI the engine decodes: a text of its character set.
struct EciCase {
  int eci;
  const char* text;
};
void PrintTo(const EciCase& c, std::ostream* os) { *os << c.eci; }

const EciCase kEciCases[] = {
    {3, "Grüße"},   {4, "Łódź"},    {5, "Ħalħ"},    {6, "Ķīļ"},     {7, "Привет"},  {8, "مرحبا"},
    {9, "Γειά"},    {10, "שלום"},   {11, "Çağ"},    {12, "Ŋŧ"},     {13, "สวัสดี"},   {15, "Ąč"},
    {16, "Ŵŷ"},     {17, "€uro"},   {18, "Șț"},     {20, "日本〜"}, {21, "Łódź"},   {22, "Привет"},
    {23, "€uro"},   {24, "مرحبا"},  {25, "Grüße☃"}, {26, "Grüße☃"}, {27, "ABC"},    {28, "中文"},
    {29, "中文"},   {30, "한국어"}, {31, "中文"},   {32, "中文𠀀"}, {33, "Grüße☃"}, {34, "Grüße☃"},
    {35, "Grüße☃"},
};

std::string ReadContent(const std::string& zint) {
  EngineSession session(OnPage(DrawSymbol(zint, 2.0), 0));
  FindArgs args;
  args.codes.assign(std::begin(kAllMatrix), std::end(kAllMatrix));
  args.codes.push_back(kCode128);
  const FindOutcome outcome = session.Find(args);
  if (outcome.records.size() != 1) {
    ADD_FAILURE() << zint << ": " << Describe(outcome.records);
    return {};
  }
  return outcome.records[0].content;
}

class ContentTextTest : public testing::TestWithParam<ContentCase> {};

TEST_P(ContentTextTest, ContentBytes) {
  EXPECT_EQ(ReadContent(GetParam().zint), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(Symbols, ContentTextTest, testing::ValuesIn(kContentCases),
                         [](const auto& p) { return std::string(p.param.name); });

class EciTextTest : public testing::TestWithParam<EciCase> {};

TEST_P(EciTextTest, DecodedToUtf8) {
  const EciCase& c = GetParam();
  EXPECT_EQ(ReadContent("QRCODE --eci=" + std::to_string(c.eci) + " -d '" + c.text + "'"), c.text);
}

INSTANTIATE_TEST_SUITE_P(Ecis, EciTextTest, testing::ValuesIn(kEciCases),
                         [](const auto& p) { return "Eci" + std::to_string(p.param.eci); });

}  // namespace
}  // namespace vexo::test
