// The zbar reader: each symbology it reads, upright and turned, comes out
// with the content the library's reader gives for the same symbol (so that
// the merge joins the two reads), its type and corners in reading order;
// nothing on the pages of the negative set.

#include "engine/zbar/ZbarReader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/NegativePages.h"

namespace vexo::test {
namespace {

using engine::Detection;
using engine::Symbology;

struct ZbarCase {
  const char* name;
  const char* zint;  // zint arguments after -b; no human-readable text
  Symbology symbology;
  const char* content;  // as the library reports it
  int rotate = 0;
};
void PrintTo(const ZbarCase& c, std::ostream* os) { *os << c.name; }

const ZbarCase kCases[] = {
    {"Ean13", "EANX --notext --guarddescent=0 -d 590123412345", Symbology::Ean13, "5901234123457"},
    {"Ean8", "EANX --notext --guarddescent=0 -d 9638507", Symbology::Ean8, "96385074"},
    {"UpcA", "UPCA --notext --guarddescent=0 -d 72527273070", Symbology::UpcA, "725272730706"},
    {"UpcE", "UPCE --notext --guarddescent=0 -d 123456", Symbology::UpcE, "01234565"},
    {"Code39", "CODE39 --notext -d ABC-1234", Symbology::Code39, "ABC-1234"},
    {"Code128", "CODE128 --notext -d 'Lot 42/b'", Symbology::Code128, "Lot 42/b"},
    {"Interleaved2of5", "C25INTER --notext -d 12345678", Symbology::Interleaved2of5, "12345678"},
    {"Codabar", "CODABAR --notext -d A40156B", Symbology::Codabar, "A40156B"},
    {"Code93", "CODE93 --notext -d CODE-93", Symbology::Code93, "CODE-93"},
    {"DataBar", "DBAR_OMN --notext -d 1234567890123", Symbology::DataBar, "0112345678901231"},
    {"Code128Turned90", "CODE128 --notext -d TURNED", Symbology::Code128, "TURNED", 90},
    {"Ean13Turned180", "EANX --notext --guarddescent=0 -d 590123412345", Symbology::Ean13,
     "5901234123457", 180},
    {"Code39Turned270", "CODE39 --notext -d ABC-1234", Symbology::Code39, "ABC-1234", 270},
};

class ZbarRead : public testing::TestWithParam<ZbarCase> {};

TEST_P(ZbarRead, ContentTypeAndCornersAsTheLibrary) {
  const ZbarCase& c = GetParam();
  const Gray symbol = DrawSymbol(c.zint, 1.0);
  Corners expected = DarkCorners(symbol);
  const Gray page = OnPage(symbol, c.rotate, &expected);
  engine::ViewSettings settings = Wanting({c.symbology});
  settings.tryRotate = true;
  const engine::LumaView view{page.pixels.data(), page.width, page.height, page.width};
  const std::vector<Detection> found = engine::ReadWithZbar(view, settings);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].symbology, c.symbology);
  EXPECT_EQ(found[0].code, engine::Info(c.symbology).code);
  EXPECT_EQ(found[0].content, Bytes(c.content));
  ExpectCorners(found[0], expected, 4.0);
  const std::vector<Detection> library = Read(page, settings);
  ASSERT_EQ(library.size(), 1u);
  EXPECT_EQ(library[0].content, found[0].content);
}

INSTANTIATE_TEST_SUITE_P(Symbologies, ZbarRead, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// The engine with the zbar reader's symbologies asked for, in every direction:
// the first reader finds nothing there either, so zbar reads every view of
// its passes. One profile per page, a different one from page to page (every
// profile with VELMORA_LONG_TESTS=1). The sheets of library symbols are the
// degraded-scan table's.
class ZbarNegative : public testing::TestWithParam<NegativePage> {};

TEST_P(ZbarNegative, NoRecordInAnyProfile) {
  if (GetParam().kind == NegativePage::kLibrarySymbols) GTEST_SKIP() << "holds symbols";
  const std::vector<UInt8> file = NegativePageFile(GetParam());
  ASSERT_FALSE(file.empty());
  EngineSession session(file);
  FindArgs args;
  args.codes.clear();
  for (std::size_t i = 0; i < engine::kSymbologyCount; ++i) {
    if (engine::ZbarSymbologies().test(i)) {
      args.codes.push_back(engine::Info(static_cast<Symbology>(i)).code);
    }
  }
  args.directions = kHorizontal | kVertical | kDiagonal;
  const std::vector<NegativePage>& pages = NegativePages();
  const auto page = static_cast<UInt32>(
      std::find_if(pages.begin(), pages.end(),
                   [&](const NegativePage& p) { return p.name == GetParam().name; }) -
      pages.begin());
  for (UInt32 profile = 0; profile < 4; ++profile) {
    if (!LongRun() && profile != page % 4) continue;
    args.profile = profile;
    const FindOutcome outcome = session.Find(args);
    EXPECT_EQ(outcome.records.size(), 0u) << "profile " << profile << "\n"
                                          << Describe(outcome.records);
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, ZbarNegative, testing::ValuesIn(NegativePages()),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
