#include "engine/core/Symbology.h"

#include <array>

#include "wrapper/ImagingEngine.h"

namespace vexo::engine {
namespace {

using S = Symbology;

constexpr ReaderKind L = ReaderKind::Library;
constexpr ReaderKind B = ReaderKind::Bars;
constexpr ReaderKind P = ReaderKind::Postal;
constexpr ReaderKind SD = ReaderKind::StackedDataBar;
constexpr ReaderKind M = ReaderKind::MicroPdf417;

// One row per symbology, in the order of the enum. zxing-cpp 1.4 (engine/zx)
// reads twenty of them; it has no reader for MSI, Code 11, Standard 2 of 5,
// DataBar Limited, Micro PDF417, the postal codes, Patch Code or Pharma Code,
// which readers of our own read. It reads stacked DataBar symbols but does not
// tell them apart from the single-row forms.
constexpr std::array<SymbologyInfo, kSymbologyCount> kSymbologies{{
    {S::Ean13, 0x80000001, kFeatureLinear, L},
    {S::Ean8, 0x80000002, kFeatureLinear, L},
    {S::UpcA, 0x80000004, kFeatureLinear, L},
    {S::UpcE, 0x80000008, kFeatureLinear, L},
    {S::Code39, 0x80000010, kFeatureLinear, L},
    {S::Code128, 0x80000020, kFeatureLinear, L},
    {S::Interleaved2of5, 0x80000040, kFeatureLinear, L},
    {S::Codabar, 0x80000080, kFeatureLinear, L},
    {S::Gs1_128, 0x80000100, kFeatureLinear, L},
    {S::Code93, 0x80000200, kFeatureLinear, L},
    {S::EanExt5, 0x80000400, kFeatureLinear, L},
    {S::EanExt2, 0x80000800, kFeatureLinear, L},
    {S::Msi, 0x80001000, kFeatureLinear, B},
    {S::Code11, 0x80002000, kFeatureLinear, B},
    {S::Standard2of5, 0x80004000, kFeatureLinear, B},
    {S::DataBar, 0x80008000, kFeatureLinear, L},
    {S::DataBarLimited, 0x80010000, kFeatureLinear, B},
    {S::DataBarExpanded, 0x80020000, kFeatureLinear, L},
    {S::PatchCode, 0x04000001, kFeatureLinear, B},
    {S::PostNet, 0x04000002, kFeatureLinear, P},
    {S::Planet, 0x04000004, kFeatureLinear, P},
    {S::AustraliaPost, 0x04000008, kFeatureLinear, P},
    {S::Rm4scc, 0x04000010, kFeatureLinear, P},
    {S::Usps4cb, 0x04000080, kFeatureLinear, P},
    {S::DataBarStacked, 0x04000020, kFeatureLinear, SD},
    {S::DataBarExpandedStacked, 0x04000040, kFeatureLinear, SD},
    {S::PharmaCode, 0x04000100, kFeatureLinear, B},
    {S::Pdf417, 0x20002000, kFeaturePdf417, L},
    {S::MicroPdf417, 0x20000001, kFeatureMicroPdf417, M},
    {S::QrCode, 0x08000300, kFeatureQrCode, L},
    {S::DataMatrix, 0x10000100, kFeatureDataMatrix, L},
    {S::Aztec, 0x21000000, kFeatureAztec, L},
    {S::MaxiCode, 0x22000000, kFeatureMaxiCode, L},
    {S::MicroQrCode, 0x24000000, kFeatureMicroQrCode, L},
}};

constexpr bool RowsFollowEnumOrder() {
  for (std::size_t i = 0; i < kSymbologies.size(); ++i) {
    if (Index(kSymbologies[i].symbology) != i) return false;
  }
  return true;
}
static_assert(RowsFollowEnumOrder(), "one row per symbology, in enum order");

// QR Code and Datamatrix results carry the symbol size in the low bits of
// their code; the table above holds the base codes.
//
// QR Code: base 0x08000300 plus the version, 1 to 40 (21x21 to 177x177
// modules), giving 0x08000301 to 0x08000328. The reader learns the version
// from the number of data codewords together with the error correction level,
// a pair that names exactly one version. When the version cannot be learned
// the result carries the base code itself.
//
// Datamatrix: base 0x10000100 plus the index of the symbol size, 1 to 30, in
// the order of the standard's size table: the 24 square sizes 10x10, 12x12,
// 14x14, 16x16, 18x18, 20x20, 22x22, 24x24, 26x26, 32x32, 36x36, 40x40, 44x44,
// 48x48, 52x52, 64x64, 72x72, 80x80, 88x88, 96x96, 104x104, 120x120, 132x132,
// 144x144 (indexes 1 to 24), then the six rectangular sizes 8x18, 8x32, 12x26,
// 12x36, 16x36, 16x48 (indexes 25 to 30). The reader learns the size from the
// number of data codewords; where two sizes hold the same number (12x12 and
// 8x18, 20x20 and 12x36) the symbol's aspect ratio decides. A size outside the
// table, such as a rectangular extension size, gives 0x1000011F.
constexpr UInt32 kDataMatrixUnknownSize = 0x1F;

}  // namespace

const SymbologyInfo& Info(Symbology symbology) {
  const std::size_t index = Index(symbology);
  return kSymbologies[index < kSymbologies.size() ? index : 0];
}

SymbologySet SymbologiesOf(ReaderKind reader) {
  SymbologySet set;
  for (const SymbologyInfo& row : kSymbologies) {
    if (row.reader == reader) set.set(Index(row.symbology));
  }
  return set;
}

UInt32 QrCodeResultCode(Int32 version) {
  const UInt32 base = Info(Symbology::QrCode).code;
  if (version < 1 || version > kQrVersionCount) return base;
  return base + static_cast<UInt32>(version);
}

UInt32 DataMatrixResultCode(Int32 sizeIndex) {
  const UInt32 base = Info(Symbology::DataMatrix).code;
  if (sizeIndex < 1 || sizeIndex > kDataMatrixSizeCount) return base + kDataMatrixUnknownSize;
  return base + static_cast<UInt32>(sizeIndex);
}

}  // namespace vexo::engine
