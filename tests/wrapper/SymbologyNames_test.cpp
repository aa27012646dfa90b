#include "wrapper/SymbologyNames.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

struct NameCase {
  UInt32 code;
  const char* name;
};

// Every named code, both ends of the two ranges, then codes that fall to the
// bit rule (0x10000000, 0x100 or 0x1 set) and codes without a name.
// clang-format off
constexpr NameCase kNames[] = {
    {0x80000001, "EAN-13"}, {0x80000002, "EAN-8"}, {0x80000004, "UPC-A"},
    {0x80000008, "UPC-E"}, {0x80000010, "Code 39"}, {0x80000020, "Code 128"},
    {0x80000040, "Code I25"}, {0x80000080, "Codabar"}, {0x80000100, "UCCEAN-128"},
    {0x80000200, "Code 93"}, {0x80000400, "EANEXT-5"}, {0x80000800, "EANEXT-2"},
    {0x80001000, "MSI"}, {0x80002000, "Code 11"}, {0x80004000, "Code S25"},
    {0x80008000, "GS1 Databar"}, {0x80010000, "GS1 Databar Limited"},
    {0x80020000, "GS1 Databar Expanded"}, {0x04000001, "Patch Code"}, {0x04000002, "Post Net"},
    {0x04000004, "Planet"}, {0x04000008, "Australia Post"}, {0x04000010, "RM4SCC"},
    {0x04000020, "GS1 Databar Stacked"}, {0x04000040, "GS1 Databar Expanded Stacked"},
    {0x04000080, "USPS4BC"}, {0x04000100, "Pharma Code"}, {0x08000300, "QR Code"},
    {0x0800031A, "QR Code"}, {0x08000337, "QR Code"}, {0x10000101, "Datamatrix"},
    {0x1000011F, "Datamatrix"}, {0x20000001, "Micro PDF417"}, {0x20002000, "PDF417"},
    {0x21000000, "Aztec Code"}, {0x22000000, "Maxi Code"}, {0x24000000, "Micro QR Code"},
    {0x08000338, "Datamatrix"}, {0x080002FF, "Datamatrix"}, {0x10000100, "Datamatrix"},
    {0x10000120, "Datamatrix"}, {0x10000001, "Datamatrix"}, {0x10000002, "Datamatrix"},
    {0x10000004, "Datamatrix"}, {0x08000001, "Datamatrix"}, {0x8003FFFF, "Datamatrix"},
    {0x80000003, "Datamatrix"}, {0xFFFFFFFF, "Datamatrix"}, {0x00000000, ""},
    {0x80000000, ""}, {0x80040000, ""}, {0x04000200, ""}, {0x20000002, ""}, {0x08000200, ""},
    {0x08000002, ""}};
// clang-format on

TEST(SymbologyNames, EveryRowRangeEndAndBitRule) {
  for (const NameCase& c : kNames) {
    EXPECT_EQ(GetBarcodeTypeName(c.code), c.name) << std::hex << c.code;
  }
}

}  // namespace
}  // namespace vexo
