// Interleaved 2 of 5 (no check character) and UPC-E (six digits) are found in
// the bars of other symbols: a read of one lying on a symbol of another
// symbology is dropped, whichever pass found which first.

#include <gtest/gtest.h>

#include "engine/core/Findings.h"

namespace vexo::engine {
namespace {

Finding Box(Symbology symbology, const std::string& content, double left, double top, double width,
            double height) {
  Finding f;
  f.symbology = symbology;
  f.content.assign(content.begin(), content.end());
  f.corners = {
      {{left, top}, {left + width, top}, {left + width, top + height}, {left, top + height}}};
  return f;
}

TEST(MergeWeak, ReadOnAnotherSymbolIsDropped) {
  const Finding code128 = Box(Symbology::Code128, "XXB", 100, 100, 130, 60);
  const Finding onIt = Box(Symbology::Interleaved2of5, "328280", 102, 98, 120, 58);
  const Finding besideIt = Box(Symbology::Interleaved2of5, "12345678", 236, 100, 150, 60);
  const Finding qrBeside = Box(Symbology::QrCode, "QR", 236, 100, 60, 60);
  const Finding ean13 = Box(Symbology::Ean13, "9317001388244", 500, 100, 190, 150);
  const Finding upcEInIt = Box(Symbology::UpcE, "13170019", 590, 100, 100, 150);
  const struct Case {
    const char* name;
    std::vector<Finding> order;
    std::vector<std::string> kept;
  } cases[] = {
      {"after the other symbol", {code128, onIt}, {"XXB"}},
      {"before the other symbol", {onIt, code128}, {"XXB"}},
      {"beside it, within the merge tolerance", {code128, besideIt}, {"XXB", "12345678"}},
      {"a checked symbology on another is kept",
       {code128, Box(Symbology::Code39, "C39", 110, 110, 100, 40)},
       {"XXB", "C39"}},
      {"a symbol beside an earlier Interleaved read", {besideIt, qrBeside}, {"12345678", "QR"}},
      {"UPC-E in one half of an EAN-13", {ean13, upcEInIt}, {"9317001388244"}},
      {"UPC-E found before the EAN-13", {upcEInIt, ean13}, {"9317001388244"}},
      {"EAN-13 beside a UPC-E",
       {upcEInIt, Box(Symbology::Ean13, "5901234123457", 700, 100, 190, 150)},
       {"13170019", "5901234123457"}},
  };
  for (const Case& c : cases) {
    std::vector<Finding> accepted;
    for (const Finding& f : c.order) MergeFinding(accepted, f, 8);
    std::vector<std::string> kept;
    for (const Finding& f : accepted) kept.emplace_back(f.content.begin(), f.content.end());
    EXPECT_EQ(kept, c.kept) << c.name;
  }
}

}  // namespace
}  // namespace vexo::engine
