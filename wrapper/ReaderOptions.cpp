#include "wrapper/ReaderOptions.h"

#include <array>
#include <cstddef>

#include "wrapper/ImagingEngine.h"

namespace vexo {
namespace {

// One request group bit: the codes it appends and the reader feature it needs.
struct SymbologyGroup {
  UInt32 requestBit;
  UInt32 featureBit;
  std::size_t codeCount;
  std::array<UInt32, 3> codes;
};

// Tested in this order; the order of the codes handed to the reader follows it.
constexpr std::array<SymbologyGroup, 13> kSymbologyGroups{{
    {0x0001, kFeatureLinear, 1, {0x8003FFFF}},              // all 18 linear symbologies at once
    {0x0800, kFeatureLinear, 1, {0x04000001}},              // Patch Code
    {0x0002, kFeatureLinear, 2, {0x04000002, 0x04000004}},  // Post Net, Planet
    // Australia Post, RM4SCC, USPS4BC
    {0x0004, kFeatureLinear, 3, {0x04000008, 0x04000010, 0x04000080}},
    {0x0008, kFeatureLinear, 2, {0x04000020, 0x04000040}},  // GS1 Databar (Expanded) Stacked
    {0x1000, kFeatureLinear, 1, {0x04000100}},              // Pharma Code
    {0x0200, kFeaturePdf417, 1, {0x20002000}},
    {0x0400, kFeatureMicroPdf417, 1, {0x20000001}},
    {0x0010, kFeatureQrCode, 1, {0x08000001}},
    {0x0020, kFeatureDataMatrix, 3, {0x10000001, 0x10000002, 0x10000004}},
    {0x0040, kFeatureAztec, 1, {0x21000000}},
    {0x0080, kFeatureMaxiCode, 1, {0x22000000}},
    {0x0100, kFeatureMicroQrCode, 1, {0x24000000}},
}};

struct DirectionBit {
  UInt32 requestBit;
  UInt32 flag;
};
constexpr std::array<DirectionBit, 3> kDirectionBits{{{0x1, 0x20}, {0x2, 0x40}, {0x4, 0x80}}};

}  // namespace

SymbologySelection SelectSymbologies(UInt32 searchTypeGroups) {
  SymbologySelection selection;
  for (const SymbologyGroup& group : kSymbologyGroups) {
    if ((searchTypeGroups & group.requestBit) == 0) continue;
    selection.codes.insert(selection.codes.end(), group.codes.begin(),
                           group.codes.begin() + static_cast<std::ptrdiff_t>(group.codeCount));
    selection.featureMask |= group.featureBit;
  }
  return selection;
}

UInt32 DirectionFlags(UInt32 searchDirections) {
  UInt32 flags = 0;
  for (const DirectionBit& bit : kDirectionBits) {
    if ((searchDirections & bit.requestBit) != 0) flags |= bit.flag;
  }
  return flags;
}

UInt32 ProfileIndex(Int32 profile) {
  switch (profile) {
    case 2:
      return 1;
    case 3:
      return 2;
    case 4:
      return 3;
    default:
      return 0;
  }
}

}  // namespace vexo
