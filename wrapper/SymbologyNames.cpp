#include "wrapper/SymbologyNames.h"

#include <array>
#include <string_view>

namespace vexo {
namespace {

// One row per name: a single code (first == last) or an inclusive range of
// codes. The first matching row wins.
struct NameRow {
  UInt32 first;
  UInt32 last;
  std::string_view name;
};

constexpr std::array<NameRow, 34> kNameRows{{
    {0x80000001, 0x80000001, "EAN-13"},
    {0x80000002, 0x80000002, "EAN-8"},
    {0x80000004, 0x80000004, "UPC-A"},
    {0x80000008, 0x80000008, "UPC-E"},
    {0x80000010, 0x80000010, "Code 39"},
    {0x80000020, 0x80000020, "Code 128"},
    {0x80000040, 0x80000040, "Code I25"},
    {0x80000080, 0x80000080, "Codabar"},
    {0x80000100, 0x80000100, "UCCEAN-128"},
    {0x80000200, 0x80000200, "Code 93"},
    {0x80000400, 0x80000400, "EANEXT-5"},
    {0x80000800, 0x80000800, "EANEXT-2"},
    {0x80001000, 0x80001000, "MSI"},
    {0x80002000, 0x80002000, "Code 11"},
    {0x80004000, 0x80004000, "Code S25"},
    {0x80008000, 0x80008000, "GS1 Databar"},
    {0x80010000, 0x80010000, "GS1 Databar Limited"},
    {0x80020000, 0x80020000, "GS1 Databar Expanded"},
    {0x04000001, 0x04000001, "Patch Code"},
    {0x04000002, 0x04000002, "Post Net"},
    {0x04000004, 0x04000004, "Planet"},
    {0x04000008, 0x04000008, "Australia Post"},
    {0x04000010, 0x04000010, "RM4SCC"},
    {0x04000020, 0x04000020, "GS1 Databar Stacked"},
    {0x04000040, 0x04000040, "GS1 Databar Expanded Stacked"},
    {0x04000080, 0x04000080, "USPS4BC"},
    {0x04000100, 0x04000100, "Pharma Code"},
    {0x08000300, 0x08000337, "QR Code"},     // one code per QR variant the engine reports
    {0x10000101, 0x1000011F, "Datamatrix"},  // one code per Datamatrix variant
    {0x20000001, 0x20000001, "Micro PDF417"},
    {0x20002000, 0x20002000, "PDF417"},
    {0x21000000, 0x21000000, "Aztec Code"},
    {0x22000000, 0x22000000, "Maxi Code"},
    {0x24000000, 0x24000000, "Micro QR Code"},
}};

// Codes outside the table that carry any of these bits are named Datamatrix.
constexpr UInt32 kDatamatrixBits = 0x10000101;
constexpr std::string_view kDatamatrixName = "Datamatrix";

}  // namespace

std::string GetBarcodeTypeName(UInt32 code) {
  for (const NameRow& row : kNameRows) {
    if (code >= row.first && code <= row.last) return std::string(row.name);
  }
  if ((code & kDatamatrixBits) != 0) return std::string(kDatamatrixName);
  return {};
}

}  // namespace vexo
