// Where results lie: search rectangles, record layout, corners and angles of
// turned symbols, scan directions and repeated finds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/core/Status.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

using namespace vexo::engine;

constexpr Int32 kTolerance = 6;  // pixels between drawn and reported corners

const Gray& Code128() {
  static const Gray symbol = DrawSymbol("CODE128 -d TURN-128 --height=25 --notext", 1);
  return symbol;
}

// A Code 128 lying flat at the top left, a Code 39 standing (turned a
// quarter turn clockwise) at the right, a QR Code at the bottom.
const Gray& DirectionPage() {
  static const Gray page = [] {
    Gray p = Gray::White(1000, 900);
    Place(p, DrawSymbol("CODE128 -d FLAT --height=25", 1), 60, 60);
    Place(p, Turned(DrawSymbol("CODE39 -d STANDING --height=25", 1), 90), 700, 60);
    Place(p, DrawSymbol("QRCODE -d QR-DIR", 2), 200, 600);
    return p;
  }();
  return page;
}

std::vector<std::string> Contents(const FindOutcome& outcome) {
  std::vector<std::string> contents;
  for (const Record& r : outcome.records) contents.push_back(r.content);
  std::sort(contents.begin(), contents.end());
  return contents;
}

TEST(EngineGeometry, TurnedSymbolsKeepReadingOrderAndAngle) {
  const struct Case {
    int clockwise;
    Int32 angle;
  } cases[] = {{0, 0}, {90, -9000}, {180, 18000}, {270, 9000}};
  for (const Case& c : cases) {
    Corners expected = DarkCorners(Code128());
    const Gray page = OnPage(Code128(), c.clockwise, &expected);
    EngineSession session(page);
    FindArgs args;
    args.codes = {kCode128};
    const FindOutcome outcome = session.Find(args);
    ASSERT_EQ(outcome.status, kEngineSuccess) << c.clockwise;
    ASSERT_EQ(outcome.records.size(), 1u) << Describe(outcome.records);
    const Record& r = outcome.records[0];
    EXPECT_EQ(r.content, "TURN-128");
    EXPECT_NEAR(r.angle, c.angle, 100) << c.clockwise;
    // The first corner is the top-left of the symbol as read: it turns with it.
    EXPECT_NEAR(r.corners[0], expected[0].x, kTolerance) << c.clockwise;
    EXPECT_NEAR(r.corners[1], expected[0].y, kTolerance) << c.clockwise;
    EXPECT_NEAR(r.corners[4], expected[2].x, kTolerance) << c.clockwise;
    EXPECT_NEAR(r.corners[5], expected[2].y, kTolerance) << c.clockwise;
    // The rectangle is the bounding box of the corners.
    EXPECT_EQ(r.left, std::min({r.corners[0], r.corners[2], r.corners[4], r.corners[6]}));
    EXPECT_EQ(r.right, std::max({r.corners[0], r.corners[2], r.corners[4], r.corners[6]}));
    EXPECT_EQ(r.top, std::min({r.corners[1], r.corners[3], r.corners[5], r.corners[7]}));
    EXPECT_EQ(r.bottom, std::max({r.corners[1], r.corners[3], r.corners[5], r.corners[7]}));
  }
}

TEST(EngineGeometry, DirectionFlagsChooseTheLinearSymbolsRead) {
  const struct Case {
    const char* name;
    UInt32 directions;
    std::vector<std::string> found;
  } cases[] = {
      {"horizontal", kHorizontal, {"FLAT", "QR-DIR"}},
      {"vertical", kVertical, {"QR-DIR", "STANDING"}},
      {"both", kHorizontal | kVertical, {"FLAT", "QR-DIR", "STANDING"}},
      {"none reads as both", 0, {"FLAT", "QR-DIR", "STANDING"}},
      {"diagonal alone", kDiagonal, {"QR-DIR"}},
  };
  EngineSession session(DirectionPage());
  for (const Case& c : cases) {
    FindArgs args;
    args.directions = c.directions;
    EXPECT_EQ(Contents(session.Find(args)), c.found) << c.name;
  }
}

TEST(EngineGeometry, BlockADirectionsWinOverBlockB) {
  EngineSession session(DirectionPage());
  FindArgs args;
  args.directions = kVertical;           // written to both blocks first
  args.wordsA = {{kDirectionWordA, kHorizontal}};  // then A alone changed
  EXPECT_EQ(Contents(session.Find(args)), (std::vector<std::string>{"FLAT", "QR-DIR"}));
}

TEST(EngineGeometry, DiagonalFlagFindsSymbolsTurnedByFortyFiveDegrees) {
  // Modules of 4 pixels: the half-size copy still has 2.
  const Gray turned = TurnedBy(DrawSymbol("CODE128 -d TURN-128 --height=25 --notext", 2), 45);
  Gray page = Gray::White(turned.width + 200, turned.height + 200);
  Place(page, turned, 100, 100);
  EngineSession session(page);
  for (const UInt32 method : {1u, 2u, 3u}) {
    FindArgs args;
    args.codes = {kCode128};
    args.directions = kHorizontal | kVertical | kDiagonal;
    args.wordsA = {{10, method}};
    const FindOutcome outcome = session.Find(args);
    ASSERT_EQ(outcome.records.size(), 1u) << "method " << method;
    EXPECT_EQ(outcome.records[0].content, "TURN-128");
    // Turned clockwise by 45 degrees: -4500, or 13500 when read the other way.
    const Int32 angle = outcome.records[0].angle;
    EXPECT_TRUE(std::abs(angle + 4500) <= 300 || std::abs(angle - 13500) <= 300) << angle;
    const Record& r = outcome.records[0];
    EXPECT_GE(r.left, 100 - kTolerance);
    EXPECT_LE(r.right, 100 + turned.width + kTolerance);
  }
  FindArgs straight;
  straight.codes = {kCode128};
  EXPECT_EQ(session.Find(straight).status, kStatusNothingFound);
}

TEST(EngineGeometry, TurnedBarsOfLargeModulesAreFound) {
  // Modules of 12 pixels, as a 600-dpi scan gives: the spaces between bars are
  // wider than the ink blobs are closed over, so the symbol is many blobs.
  const Gray symbol = DrawSymbol("CODE128 -d WIDE-128 --height=30 --notext", 6);
  for (const int degrees : {30, 135}) {
    const Gray turned = TurnedBy(symbol, degrees);
    Gray page = Gray::White(turned.width + 200, turned.height + 200);
    Place(page, turned, 100, 100);
    EngineSession session(page);
    FindArgs args;
    args.codes = {kCode128};
    args.directions = kHorizontal | kVertical | kDiagonal;
    EXPECT_EQ(Contents(session.Find(args)), std::vector<std::string>{"WIDE-128"}) << degrees;
  }
}

TEST(EngineGeometry, MatrixSymbolsAreFoundTurnedWhateverTheFlags) {
  const Gray qr = TurnedBy(DrawSymbol("QRCODE -d QR-TURNED", 2), 30);
  Gray page = Gray::White(qr.width + 100, qr.height + 100);
  Place(page, qr, 50, 50);
  EngineSession session(page);
  for (const UInt32 directions : {kHorizontal, kVertical, kDiagonal}) {
    FindArgs args;
    args.codes = {kQrSearch};
    args.directions = directions;
    EXPECT_EQ(Contents(session.Find(args)), (std::vector<std::string>{"QR-TURNED"})) << directions;
  }
}

TEST(EngineGeometry, SearchRectIsClippedToTheImage) {
  const struct Case {
    const char* name;
    SearchRect rect;
    EngineStatus status;
    std::vector<std::string> found;
  } cases[] = {
      {"whole page", {0, 0, 1000, 900}, kEngineSuccess, {"FLAT", "QR-DIR", "STANDING"}},
      {"beyond every edge", {-500, -500, 1 << 30, 1 << 30}, kEngineSuccess,
       {"FLAT", "QR-DIR", "STANDING"}},
      {"lower part only", {0, 500, 1000, 900}, kEngineSuccess, {"QR-DIR"}},
      {"right part only", {600, -20, 5000, 560}, kEngineSuccess, {"STANDING"}},
      {"outside", {1200, 0, 1400, 900}, kStatusNothingFound, {}},
      {"inverted", {900, 800, 100, 100}, kStatusNothingFound, {}},
      {"empty", {100, 100, 100, 500}, kStatusNothingFound, {}},
  };
  EngineSession session(DirectionPage());
  const FindOutcome whole = session.Find({});
  for (const Case& c : cases) {
    FindArgs args;
    args.rect = c.rect;
    const FindOutcome outcome = session.Find(args);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(Contents(outcome), c.found) << c.name;
    // Coordinates stay those of the whole image.
    for (const Record& r : outcome.records) {
      const auto same = std::find_if(whole.records.begin(), whole.records.end(),
                                     [&](const Record& w) { return w.content == r.content; });
      ASSERT_NE(same, whole.records.end());
      EXPECT_NEAR(r.left, same->left, 2) << c.name;
      EXPECT_NEAR(r.top, same->top, 2) << c.name;
    }
  }
}

TEST(EngineGeometry, ResultBlockLayout) {
  EngineSession session(DirectionPage());
  ProfileOptionsA a{{44}};
  ProfileOptionsB b{{8}};
  ProfileOptionsC c{{12}};
  UInt32 value = 0;
  ASSERT_EQ(session.Engine().GetProfileOptions(0, &value, &a, &b, &c, nullptr), kEngineSuccess);
  const SearchRect rect{0, 0, 1000, 900};
  const UInt32 codes[] = {kAllLinear, kQrSearch};
  BarcodeResult* results = nullptr;
  ASSERT_EQ(session.Engine().FindBarcodes(&session.Bitmap(), &rect, codes, 2, 0, value, 0, &a, &b,
                                          &c, &results, 104, 0, 0),
            kEngineSuccess);
  ASSERT_NE(results, nullptr);
  const auto* bytes = reinterpret_cast<const UInt8*>(results);
  Int32 count = 0;
  std::memcpy(&count, bytes + 48, sizeof count);
  ASSERT_EQ(count, 3);
  Int32 previousTop = -1;
  for (Int32 i = 0; i < count; ++i) {
    const BarcodeResult& r = results[i];
    EXPECT_EQ(r.count, count);
    // Content bytes follow the records in the same block.
    const UInt8* data = r.data;  // a packed field: copy before comparing
    EXPECT_GE(data, bytes + count * 104);
    EXPECT_GE(r.top, previousTop) << "sorted by top";
    previousTop = r.top;
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(results[0].data), results[0].dataLength),
            "FLAT");
  EXPECT_EQ(session.Engine().ReleaseBarcodeResults(&results), kEngineSuccess);
  EXPECT_EQ(results, nullptr);
}

TEST(EngineGeometry, SymbolsFoundByManyPassesAreReportedOnce) {
  EngineSession session(DirectionPage());
  // Profile 3 reads the page at full size with both binarizers and at half
  // size: each symbol is seen several times.
  FindArgs args;
  args.profile = 3;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  EXPECT_EQ(Contents(outcome), (std::vector<std::string>{"FLAT", "QR-DIR", "STANDING"}))
      << Describe(outcome.records);
}

TEST(EngineGeometry, ResultLimitOfBlockC) {
  EngineSession session(DirectionPage());
  FindArgs args;
  args.wordsC = {{1, 2}};
  const FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.records.size(), 2u);
  EXPECT_EQ(outcome.records[0].content, "FLAT");  // the first two in page order
}

TEST(EngineGeometry, TimeBudgetSpentWithNothingFound) {
  EngineSession session(Gray::White(2400, 2400));
  FindArgs args;
  args.wordsA = {{6, 1}};  // one millisecond
  EXPECT_EQ(session.Find(args).status, kStatusTimeBudgetExceeded);
  args.wordsA = {{6, 0}};  // no budget
  EXPECT_EQ(session.Find(args).status, kStatusNothingFound);
}

}  // namespace
}  // namespace vexo::test
