#include "engine/core/SearchCodes.h"

#include "engine/core/Status.h"

namespace vexo::engine {
namespace {

using S = Symbology;

constexpr UInt32 kLinearFamily = 0x80000000;
constexpr UInt32 kLinearBits = 0x0003FFFF;

// Search codes that name symbologies other than by a linear bit.
struct SearchCode {
  UInt32 code;
  Symbology symbology;
};

constexpr SearchCode kSearchCodes[] = {
    {0x04000001, S::PatchCode},      {0x04000002, S::PostNet},
    {0x04000004, S::Planet},         {0x04000008, S::AustraliaPost},
    {0x04000010, S::Rm4scc},         {0x04000020, S::DataBarStacked},
    {0x04000040, S::DataBarExpandedStacked},
    {0x04000080, S::Usps4cb},        {0x04000100, S::PharmaCode},
    {0x20002000, S::Pdf417},         {0x20000001, S::MicroPdf417},
    {0x08000001, S::QrCode},         {0x10000001, S::DataMatrix},
    {0x10000002, S::DataMatrix},     {0x10000004, S::DataMatrix},
    {0x21000000, S::Aztec},          {0x22000000, S::MaxiCode},
    {0x24000000, S::MicroQrCode},
};

// The symbologies one code names; empty when the code is unknown.
SymbologySet Resolve(UInt32 code) {
  SymbologySet set;
  if ((code & ~(kLinearFamily | kLinearBits)) == 0 && (code & kLinearFamily) != 0 &&
      (code & kLinearBits) != 0) {
    // The linear symbologies' codes are the single bits of the family.
    for (std::size_t i = 0; i < kSymbologyCount; ++i) {
      const UInt32 own = Info(static_cast<Symbology>(i)).code;
      if ((own & kLinearFamily) != 0 && (own & code & kLinearBits) != 0) set.set(i);
    }
    return set;
  }
  for (const SearchCode& entry : kSearchCodes) {
    if (entry.code == code) set.set(Index(entry.symbology));
  }
  return set;
}

}  // namespace

CodeSelection SelectByCodes(const UInt32* codes, UInt32 count, UInt32 featureMask,
                            const SymbologySet& readable) {
  CodeSelection selection;
  if (codes == nullptr && count != 0) {
    selection.status = kStatusInvalidArgument;
    return selection;
  }
  for (UInt32 i = 0; i < count; ++i) {
    const SymbologySet named = Resolve(codes[i]);
    if (named.none()) {
      selection.status = kStatusUnknownSymbology;
      return selection;
    }
    for (std::size_t s = 0; s < kSymbologyCount; ++s) {
      if (named.test(s) && (Info(static_cast<Symbology>(s)).featureBit & featureMask) == 0) {
        selection.status = kStatusFeatureNotEnabled;
        return selection;
      }
    }
    selection.wanted |= named;
  }
  selection.readable = selection.wanted & readable;
  return selection;
}

}  // namespace vexo::engine
