// Result codes that carry the symbol size, GS1 element strings, and the
// symbology table.

#include <gtest/gtest.h>

#include <bitset>

#include "engine/core/Symbology.h"
#include "engine/zx/Gs1Elements.h"
#include "engine/zx/SymbolSize.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::test {
namespace {

using engine::Symbology;

UInt32 ReadCode(const std::string& zint, Symbology symbology, double scale) {
  const std::vector<engine::Detection> found =
      Read(OnPage(DrawSymbol(zint, scale), 0), Wanting({symbology}));
  return found.size() == 1 ? found[0].code : 0;
}

TEST(QrCodeCode, VersionAtEveryLevel) {
  for (const int version : {1, 2, 6, 14, 27, 40}) {
    for (const int level : {1, 2, 3, 4}) {
      const std::string zint = "QRCODE --vers=" + std::to_string(version) +
                               " --secure=" + std::to_string(level) + " -d V";
      EXPECT_EQ(ReadCode(zint, Symbology::QrCode, 1.5), 0x08000300u + version) << zint;
    }
  }
}

TEST(SizeCodes, OutsideTheTablesAndSharedCounts) {
  EXPECT_EQ(engine::QrVersionFromCodewords('L', 1276), 25);  // 1276 is also version 40-H
  EXPECT_EQ(engine::QrVersionFromCodewords('L', 20), 0);
  EXPECT_EQ(engine::QrCodeResultCode(0), 0x08000300u);
  EXPECT_EQ(engine::QrCodeResultCode(41), 0x08000300u);
  EXPECT_EQ(engine::DataMatrixSizeFromCodewords(18, 6.0), 0);  // 8x48 extension, not 18x18
  EXPECT_EQ(engine::DataMatrixResultCode(0), 0x1000011Fu);
  EXPECT_EQ(engine::DataMatrixResultCode(31), 0x1000011Fu);
}

TEST(DataMatrixCode, EverySizeIndex) {
  for (int index = 1; index <= 30; ++index) {
    const std::string zint = "DATAMATRIX --vers=" + std::to_string(index) + " -d D";
    EXPECT_EQ(ReadCode(zint, Symbology::DataMatrix, 1.0), 0x10000100u + index) << zint;
  }
}

struct Gs1Case {
  const char* text;
  const char* elements;  // nullptr: not an element string
};

TEST(Gs1Elements, FromHumanReadableText) {
  const Gs1Case cases[] = {
      {"(01)12345678901231", "0112345678901231"},
      {"(01)12345678901231(10)AB1(17)251231", "0112345678901231" "10AB1\x1d" "17251231"},
      {"(10)A(B)C(21)X", "10A(B)C\x1d" "21X"},
      {"(3103)001234(21)X", "3103001234" "21X"},
      {"(00)123456789012345675(400)PO", "00123456789012345675" "400PO"},
      {"(01)123", nullptr},
      {"0112345678901231", nullptr},
      {"(1)X", nullptr},
      {"", nullptr},
  };
  for (const Gs1Case& c : cases) {
    const std::optional<std::string> elements = engine::Gs1ElementString(c.text);
    if (c.elements == nullptr) {
      EXPECT_FALSE(elements.has_value()) << c.text;
    } else {
      EXPECT_EQ(elements.value_or("?"), c.elements) << c.text;
    }
  }
}

TEST(SymbologyTable, LinearCodesAreTheBitsOfTheLinearGroup) {
  UInt32 all = 0;
  for (std::size_t i = 0; i < engine::Index(Symbology::PatchCode); ++i) {
    const engine::SymbologyInfo& info = engine::Info(static_cast<Symbology>(i));
    EXPECT_EQ(std::bitset<32>(info.code & 0x7FFFFFFF).count(), 1u) << i;
    EXPECT_EQ(all & info.code & 0x7FFFFFFF, 0u) << i;
    all |= info.code;
  }
  EXPECT_EQ(all, 0x8003FFFFu);
  EXPECT_EQ(engine::Info(Symbology::Gs1_128).code, 0x80000100u);
  EXPECT_EQ(engine::Info(Symbology::Usps4cb).code, 0x04000080u);
}

}  // namespace
}  // namespace vexo::test
