#include "wrapper/SymbologyNames.h"

#include <gtest/gtest.h>

#include <string>

namespace vexo {
namespace {

struct NameCase {
  UInt32 code;
  const char* name;
};

class SymbologyNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(SymbologyNameTest, GivesDisplayName) {
  EXPECT_EQ(GetBarcodeTypeName(GetParam().code), GetParam().name);
}

// Every named code, the bounds of both ranges, and codes that fall to the
// bit rule or to the empty name.
INSTANTIATE_TEST_SUITE_P(
    Table, SymbologyNameTest,
    ::testing::Values(
        NameCase{0x80000001, "EAN-13"}, NameCase{0x80000002, "EAN-8"},
        NameCase{0x80000004, "UPC-A"}, NameCase{0x80000008, "UPC-E"},
        NameCase{0x80000010, "Code 39"}, NameCase{0x80000020, "Code 128"},
        NameCase{0x80000040, "Code I25"}, NameCase{0x80000080, "Codabar"},
        NameCase{0x80000100, "UCCEAN-128"}, NameCase{0x80000200, "Code 93"},
        NameCase{0x80000400, "EANEXT-5"}, NameCase{0x80000800, "EANEXT-2"},
        NameCase{0x80001000, "MSI"}, NameCase{0x80002000, "Code 11"},
        NameCase{0x80004000, "Code S25"}, NameCase{0x80008000, "GS1 Databar"},
        NameCase{0x80010000, "GS1 Databar Limited"},
        NameCase{0x80020000, "GS1 Databar Expanded"}, NameCase{0x04000001, "Patch Code"},
        NameCase{0x04000002, "Post Net"}, NameCase{0x04000004, "Planet"},
        NameCase{0x04000008, "Australia Post"}, NameCase{0x04000010, "RM4SCC"},
        NameCase{0x04000020, "GS1 Databar Stacked"},
        NameCase{0x04000040, "GS1 Databar Expanded Stacked"},
        NameCase{0x04000080, "USPS4BC"}, NameCase{0x04000100, "Pharma Code"},
        NameCase{0x08000300, "QR Code"}, NameCase{0x0800031A, "QR Code"},
        NameCase{0x08000337, "QR Code"}, NameCase{0x10000101, "Datamatrix"},
        NameCase{0x1000011F, "Datamatrix"}, NameCase{0x20000001, "Micro PDF417"},
        NameCase{0x20002000, "PDF417"}, NameCase{0x21000000, "Aztec Code"},
        NameCase{0x22000000, "Maxi Code"}, NameCase{0x24000000, "Micro QR Code"},
        // Bit rule: any of 0x10000000, 0x100, 0x1.
        NameCase{0x08000338, "Datamatrix"}, NameCase{0x080002FF, "Datamatrix"},
        NameCase{0x10000100, "Datamatrix"}, NameCase{0x10000120, "Datamatrix"},
        NameCase{0x10000001, "Datamatrix"}, NameCase{0x10000002, "Datamatrix"},
        NameCase{0x10000004, "Datamatrix"}, NameCase{0x08000001, "Datamatrix"},
        NameCase{0x8003FFFF, "Datamatrix"}, NameCase{0x80000003, "Datamatrix"},
        NameCase{0xFFFFFFFF, "Datamatrix"},
        // No name.
        NameCase{0x00000000, ""}, NameCase{0x80000000, ""}, NameCase{0x80040000, ""},
        NameCase{0x04000200, ""}, NameCase{0x20000002, ""}, NameCase{0x08000200, ""},
        NameCase{0x08000002, ""}));

}  // namespace
}  // namespace vexo
