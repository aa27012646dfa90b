// The reading passes with a made-up view reader: every pass must map what it
// finds back to the page, and the merge must keep each symbol once.

#include "engine/core/PageReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

#include "engine/core/ViewTransform.h"

namespace vexo::engine {
namespace {

using namespace std::chrono_literals;

constexpr Int32 kMarkLeft = 420, kMarkTop = 300, kMarkSide = 24;

// A white page with one black square.
LumaImage MarkedPage(Int32 width, Int32 height) {
  LumaImage page;
  page.width = width;
  page.height = height;
  page.pixels.assign(static_cast<std::size_t>(width) * height, 255);
  for (Int32 y = kMarkTop; y < kMarkTop + kMarkSide; ++y) {
    for (Int32 x = kMarkLeft; x < kMarkLeft + kMarkSide; ++x) page.Row(y)[x] = 0;
  }
  return page;
}

// Reports the box around the dark pixels of each view it is given, as a
// symbol of `symbology` whose content numbers the call.
struct MarkReader {
  Symbology symbology = Symbology::Code128;
  std::vector<std::string> contents;  // per call; default "c<call>"
  std::vector<ViewSettings> calls;

  ViewReader Reader() {
    return [this](const LumaView& view, const ViewSettings& settings) {
      calls.push_back(settings);
      Int32 left = view.width, top = view.height, right = -1, bottom = -1;
      for (Int32 y = 0; y < view.height; ++y) {
        for (Int32 x = 0; x < view.width; ++x) {
          if (view.Row(y)[x] >= 128) continue;
          left = std::min(left, x), right = std::max(right, x + 1);
          top = std::min(top, y), bottom = std::max(bottom, y + 1);
        }
      }
      std::vector<Detection> found;
      if (right < 0) return found;
      const std::size_t call = calls.size();
      char name[16];
      std::snprintf(name, sizeof name, "c%02zu", call);
      const std::string content = call <= contents.size() ? contents[call - 1] : name;
      Detection d;
      d.symbology = symbology;
      d.code = 0x80000020;
      d.content.assign(content.begin(), content.end());
      const double l = left, t = top, r = right, b = bottom;
      d.corners = {{{l, t}, {r, t}, {r, b}, {l, b}}};
      found.push_back(d);
      return found;
    };
  }
};

SymbologySet Only(Symbology s) {
  SymbologySet set;
  set.set(Index(s));
  return set;
}

// A reader list of one reader that reads every symbology.
ReaderList One(ViewReader reader) {
  return {{ReaderKind::Library, SymbologySet{}.set(), std::move(reader), {}}};
}

PointD Centre(const Finding& f) {
  const Box box = BoxOf(f);
  return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

ReadOptions Options(UInt32 passes, UInt32 directions) {
  ReadOptions options;
  options.passes = passes;
  options.directions = directions;
  options.regionCrops = 8;
  options.halfPassMinSide = 0;
  return options;
}

TEST(PageReader, EveryPassMapsBackToThePage) {
  const struct Case {
    const char* name;
    ReadOptions options;
    Symbology symbology;
    Int32 width, height;
    double tolerance;
  } cases[] = {
      {"full", Options(kPassFull, 0x20), Symbology::Code128, 800, 600, 0.5},
      {"half", Options(kPassHalf | kPassHalfLinear, 0x20), Symbology::Code128, 800, 600, 1},
      {"quarter turn", Options(kPassFull, 0x40), Symbology::Code128, 800, 600, 0.5},
      {"diagonal full copy",
       [] {
         auto o = Options(kPassFull, 0x80);
         o.diagonal = DiagonalMethod::FullCopy;
         return o;
       }(),
       Symbology::Code128, 800, 600, 1.5},
      {"diagonal half copy",
       [] {
         auto o = Options(kPassFull, 0x80);
         o.diagonal = DiagonalMethod::HalfCopy;
         return o;
       }(),
       Symbology::Code128, 800, 600, 2.5},
      {"region crops", Options(kPassRegions, 0x20), Symbology::DataMatrix, 1500, 1300, 0.5},
  };
  for (const Case& c : cases) {
    const LumaImage page = MarkedPage(c.width, c.height);
    // Search from (100, 50): the area's own coordinates are shifted.
    const LumaView area = CropView(ViewOf(page), 100, 50, c.width - 100, c.height - 50);
    MarkReader marks;
    marks.symbology = c.symbology;
    const PageRead read = ReadPage(area, AffineMap::Translation(100, 50), c.options,
                                   Only(c.symbology), One(marks.Reader()), Deadline::max());
    ASSERT_EQ(marks.calls.size(), 1u) << c.name;
    ASSERT_EQ(read.findings.size(), 1u) << c.name;
    const PointD centre = Centre(read.findings[0]);
    EXPECT_NEAR(centre.x, kMarkLeft + kMarkSide / 2.0, c.tolerance) << c.name;
    EXPECT_NEAR(centre.y, kMarkTop + kMarkSide / 2.0, c.tolerance) << c.name;
    EXPECT_FALSE(read.outOfTime) << c.name;
  }
}

TEST(PageReader, RepeatedSymbolKeepsTheFirstPassPosition) {
  const LumaImage page = MarkedPage(800, 600);
  MarkReader marks;
  marks.contents = {"SAME", "SAME", "SAME"};
  const PageRead read =
      ReadPage(ViewOf(page), {},
               Options(kPassFull | kPassOtherBinarizer | kPassHalf | kPassHalfLinear, 0x20),
               Only(Symbology::Code128), One(marks.Reader()), Deadline::max());
  ASSERT_EQ(marks.calls.size(), 3u);
  EXPECT_TRUE(marks.calls[0].localBinarizer);
  EXPECT_FALSE(marks.calls[1].localBinarizer);
  ASSERT_EQ(read.findings.size(), 1u);
  EXPECT_EQ(read.findings[0].corners[0].x, kMarkLeft);
  EXPECT_EQ(read.findings[0].corners[2].y, kMarkTop + kMarkSide);
}

TEST(PageReader, SymbologiesNotAskedForAreDropped) {
  const LumaImage page = MarkedPage(800, 600);
  MarkReader marks;
  marks.symbology = Symbology::Code39;
  const PageRead read = ReadPage(ViewOf(page), {}, Options(kPassFull, 0x20),
                                 Only(Symbology::Code128), One(marks.Reader()), Deadline::max());
  // The full pass, then the contrast pass, since nothing was found.
  EXPECT_EQ(marks.calls.size(), 2u);
  EXPECT_TRUE(read.findings.empty());
}

TEST(PageReader, DeadlineStopsBetweenPasses) {
  const LumaImage page = MarkedPage(800, 600);
  MarkReader marks;
  const ReadOptions options = Options(kPassFull | kPassHalf | kPassHalfLinear, 0x20);
  const PageRead late = ReadPage(ViewOf(page), {}, options, Only(Symbology::Code128),
                                 One(marks.Reader()), std::chrono::steady_clock::now() - 1s);
  EXPECT_TRUE(marks.calls.empty());
  EXPECT_TRUE(late.outOfTime);
  EXPECT_TRUE(late.findings.empty());

  // The first pass outlasts the budget: its finding is kept, the second
  // pass does not run.
  MarkReader slow;
  const ViewReader inner = slow.Reader();
  const ViewReader sleepy = [&](const LumaView& view, const ViewSettings& settings) {
    std::this_thread::sleep_for(30ms);
    return inner(view, settings);
  };
  const PageRead cut = ReadPage(ViewOf(page), {}, options, Only(Symbology::Code128), One(sleepy),
                                std::chrono::steady_clock::now() + 10ms);
  EXPECT_EQ(slow.calls.size(), 1u);
  EXPECT_TRUE(cut.outOfTime);
  EXPECT_EQ(cut.findings.size(), 1u);
}

// Vertical bars 4 pixels wide (a symbol lying flat), or horizontal ones.
LumaImage BarsPage(bool standing) {
  LumaImage page = MarkedPage(1600, 1200);
  std::fill(page.pixels.begin(), page.pixels.end(), 255);
  for (Int32 y = 500; y < 620; ++y) {
    for (Int32 x = 700; x < 940; ++x) {
      if (((standing ? y : x) / 4) % 2 == 0) page.Row(y)[x] = 0;
    }
  }
  return page;
}

TEST(PageReader, RegionCropsReadBarsInTheDirectionsAskedFor) {
  const struct Case {
    const char* name;
    bool standing;
    UInt32 directions;
    bool found;
    bool columns;
  } cases[] = {
      {"lying bars, horizontal", false, 0x20, true, false},
      {"lying bars, vertical only", false, 0x40, false, false},
      {"standing bars, vertical", true, 0x40, true, true},
      {"standing bars, horizontal only", true, 0x20, false, false},
  };
  for (const Case& c : cases) {
    const LumaImage page = BarsPage(c.standing);
    MarkReader marks;
    const ViewReader inner = marks.Reader();
    // Like a finder that gives up on the whole page but reads a crop.
    const ViewReader cropsOnly = [&](const LumaView& view, const ViewSettings& settings) {
      const bool crop = Int64{view.width} * view.height < Int64{page.width} * page.height / 2;
      return crop ? inner(view, settings) : std::vector<Detection>{};
    };
    const PageRead read =
        ReadPage(ViewOf(page), {}, Options(kPassFull | kPassRegions, c.directions),
                 Only(Symbology::Code128), One(cropsOnly), Deadline::max());
    ASSERT_EQ(read.findings.size(), c.found ? 1u : 0u) << c.name;
    if (!c.found) continue;
    EXPECT_EQ(marks.calls.back().tryRotate, c.columns) << c.name;
    const Box box = BoxOf(read.findings[0]);
    EXPECT_NEAR(box.left, 700, 4) << c.name;
    EXPECT_NEAR(box.bottom, 620, 4) << c.name;
  }
}

TEST(PageReader, EachReaderIsAskedForItsOwnSymbologiesOnly) {
  const LumaImage page = MarkedPage(800, 600);
  MarkReader first, second, third;
  first.symbology = Symbology::Code39;  // not painted over for the readers after it
  second.symbology = Symbology::Msi;
  const SymbologySet both = Only(Symbology::Code39) | Only(Symbology::Msi);
  const ReaderList readers{{ReaderKind::Library, Only(Symbology::Code39), first.Reader(), {}},
                           {ReaderKind::Bars, Only(Symbology::Msi), second.Reader(), {}},
                           {ReaderKind::Postal, Only(Symbology::PostNet), third.Reader(), {}}};
  const PageRead read =
      ReadPage(ViewOf(page), {}, Options(kPassFull, 0x20), both, readers, Deadline::max());
  ASSERT_EQ(first.calls.size(), 1u);
  ASSERT_EQ(second.calls.size(), 1u);
  EXPECT_TRUE(third.calls.empty());
  EXPECT_EQ(first.calls[0].symbologies, Only(Symbology::Code39));
  EXPECT_EQ(second.calls[0].symbologies, Only(Symbology::Msi));
  EXPECT_EQ(read.findings.size(), 2u);
}

// The readers after one that found a symbol of strong checks read the view
// with that symbol painted white; weakly checked reads leave it as it is.
TEST(PageReader, ReadersAfterAStrongReadSeeItPaintedOver) {
  const struct Case {
    Symbology first;
    bool secondSees;
  } cases[] = {{Symbology::QrCode, false}, {Symbology::Pdf417, false}, {Symbology::Code128, false},
               {Symbology::Code39, true},  {Symbology::Code93, true},  {Symbology::MaxiCode, true}};
  for (const Case& c : cases) {
    const LumaImage page = MarkedPage(800, 600);
    MarkReader first, second;
    first.symbology = c.first;
    second.symbology = Symbology::Msi;
    const ReaderList readers{{ReaderKind::Library, Only(c.first), first.Reader(), {}},
                             {ReaderKind::Bars, Only(Symbology::Msi), second.Reader(), {}}};
    const PageRead read = ReadPage(ViewOf(page), {}, Options(kPassFull, 0x20),
                                   Only(c.first) | Only(Symbology::Msi), readers, Deadline::max());
    ASSERT_EQ(second.calls.size(), 1u) << Index(c.first);
    EXPECT_EQ(read.findings.size(), c.secondSees ? 2u : 1u) << Index(c.first);
  }
}

// A second reader reads a view only in its passes and only where the first
// found none of its symbologies; a symbol both find, in different views,
// comes out once.
TEST(PageReader, SecondReaderReadsOnlyWhereTheFirstFoundNothing) {
  constexpr Int32 kWidth = 800, kHalfWidth = 400;
  const struct Case {
    const char* name;
    std::vector<Int32> firstFindsIn;  // view widths where the first reader finds the mark
    std::vector<PassKind> secondPasses;
    std::vector<Int32> secondReads;  // view widths the second reader is given
  } cases[] = {
      {"first finds everywhere", {kWidth, kHalfWidth}, {PassKind::Full, PassKind::Half}, {}},
      {"first finds nothing", {}, {PassKind::Full, PassKind::Half}, {kWidth, kHalfWidth}},
      {"first misses the half copy", {kWidth}, {PassKind::Full, PassKind::Half}, {kHalfWidth}},
      {"half pass not the second's", {}, {PassKind::Full}, {kWidth}},
  };
  const LumaImage page = MarkedPage(kWidth, 600);
  for (const Case& c : cases) {
    MarkReader marks, second;
    marks.contents.assign(4, "SAME");
    second.contents.assign(4, "SAME");
    std::vector<Int32> secondWidths;
    const ViewReader first = [&](const LumaView& view, const ViewSettings& settings) {
      const bool finds = std::find(c.firstFindsIn.begin(), c.firstFindsIn.end(), view.width) !=
                         c.firstFindsIn.end();
      return finds ? marks.Reader()(view, settings) : std::vector<Detection>{};
    };
    const ViewReader counted = [&](const LumaView& view, const ViewSettings& settings) {
      secondWidths.push_back(view.width);
      return second.Reader()(view, settings);
    };
    const ReaderList readers{{ReaderKind::Library, Only(Symbology::Code128), first, {}},
                             {ReaderKind::Zbar, Only(Symbology::Code128), counted, c.secondPasses}};
    const PageRead read =
        ReadPage(ViewOf(page), {}, Options(kPassFull | kPassHalf | kPassHalfLinear, 0x20),
                 Only(Symbology::Code128), readers, Deadline::max());
    EXPECT_EQ(secondWidths, c.secondReads) << c.name;
    EXPECT_EQ(read.findings.size(), 1u) << c.name;
  }
}

// The default profiles read a page's negative only where the page as it is
// gave nothing, and only for symbologies with a strong check.
TEST(PageReader, NegativeOnlyWhereThePageGaveNothing) {
  const struct Case {
    const char* name;
    Symbology symbology;
    bool lightOnDark;        // the reader finds the mark only on a dark page
    std::vector<bool> dark;  // per view read: was it the negative
  } cases[] = {
      {"light on dark", Symbology::QrCode, true, {false, true}},
      {"dark on light", Symbology::QrCode, false, {false}},
      {"weak check (the second view: the contrast pass)", Symbology::Code39, true, {false, false}},
  };
  const LumaImage page = MarkedPage(800, 600);
  for (const Case& c : cases) {
    MarkReader marks;
    marks.symbology = c.symbology;
    std::vector<bool> dark;
    const ViewReader reader = [&](const LumaView& view, const ViewSettings& settings) {
      dark.push_back(view.Row(0)[0] < 128);
      return dark.back() == c.lightOnDark ? marks.Reader()(view, settings)
                                          : std::vector<Detection>{};
    };
    const PageRead read = ReadPage(ViewOf(page), {}, Options(kPassFull | kPassNegativeIfNone, 0x20),
                                   Only(c.symbology), One(reader), Deadline::max());
    EXPECT_EQ(dark, c.dark) << c.name;
    EXPECT_EQ(read.findings.size(), c.dark.back() == c.lightOnDark ? 1u : 0u) << c.name;
  }
}

TEST(PageReader, RetailReadThatASecondLookReadsOtherwiseIsDropped) {
  constexpr Int32 kWide = 190, kNarrow = 60;  // the mark's length: 2 and 0.6 px a module
  const struct Case {
    const char* name;
    Symbology symbology;
    Int32 markWidth;
    // Per call: the full pass, then the plain look for its first symbol,
    // for all its symbols, and the smoothed look.
    std::vector<std::string> contents;
    bool secondLookSees;
    std::size_t calls;
    bool kept;
  } cases[] = {
      {"EAN-13 read otherwise", Symbology::Ean13, kWide, {"A", "B", "B", "B"}, true, 4, false},
      {"UPC-E read otherwise, then alike",
       Symbology::UpcE,
       kWide,
       {"A", "B", "B", "A"},
       true,
       4,
       true},
      {"EAN-8 read alike by the first symbol's look",
       Symbology::Ean8,
       kWide,
       {"A", "A"},
       true,
       2,
       true},
      {"UPC-A read alike among all symbols",
       Symbology::UpcA,
       kWide,
       {"A", "B", "A"},
       true,
       3,
       true},
      {"UPC-A not read again", Symbology::UpcA, kWide, {"A"}, false, 4, true},
      {"Code 128 is not looked at", Symbology::Code128, kNarrow, {"A", "B"}, true, 1, true},
  };
  for (const Case& c : cases) {
    LumaImage page = MarkedPage(800, 600);
    for (Int32 y = kMarkTop; y < kMarkTop + kMarkSide; ++y) {
      std::fill_n(page.Row(y) + kMarkLeft, c.markWidth, UInt8{0});
    }
    MarkReader marks;
    marks.symbology = c.symbology;
    marks.contents = c.contents;
    std::size_t calls = 0;
    const ViewReader reader = [&](const LumaView& view, const ViewSettings& settings) {
      return ++calls == 1 || c.secondLookSees ? marks.Reader()(view, settings)
                                              : std::vector<Detection>{};
    };
    const PageRead read =
        ReadPage(ViewOf(page), AffineMap::Translation(30, 20), Options(kPassFull, 0x20),
                 Only(c.symbology), One(reader), Deadline::max());
    EXPECT_EQ(calls, c.calls) << c.name;
    EXPECT_EQ(read.findings.size(), c.kept ? 1u : 0u) << c.name;
  }
}

TEST(PageReader, SymbolWithoutPositionFillsItsView) {
  const LumaImage page = MarkedPage(800, 600);
  const ViewReader unplaced = [](const LumaView&, const ViewSettings&) {
    Detection d;
    d.symbology = Symbology::MaxiCode;
    d.content = {'M'};
    return std::vector<Detection>{d};
  };
  const PageRead read =
      ReadPage(CropView(ViewOf(page), 10, 20, 300, 200), AffineMap::Translation(10, 20),
               Options(kPassFull, 0x20), Only(Symbology::MaxiCode), One(unplaced), Deadline::max());
  ASSERT_EQ(read.findings.size(), 1u);
  const Box box = BoxOf(read.findings[0]);
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 20);
  EXPECT_EQ(box.right, 310);
  EXPECT_EQ(box.bottom, 220);
}

// A dark square with a white notch in one corner.
enum class Notch { None, TopLeft, TopRight, BottomRight, BottomLeft };

LumaImage NotchedPage(Notch notch) {
  constexpr Int32 kLeft = 600, kTop = 500, kSide = 120, kCut = 30;
  LumaImage page = MarkedPage(1500, 1300);
  std::fill(page.pixels.begin(), page.pixels.end(), 255);
  for (Int32 y = 0; y < kSide; ++y) {
    for (Int32 x = 0; x < kSide; ++x) {
      const bool left = x < kCut, top = y < kCut;
      const bool right = x >= kSide - kCut, bottom = y >= kSide - kCut;
      const bool cut = (notch == Notch::TopLeft && left && top) ||
                       (notch == Notch::TopRight && right && top) ||
                       (notch == Notch::BottomRight && right && bottom) ||
                       (notch == Notch::BottomLeft && left && bottom);
      if (!cut) page.Row(kTop + y)[kLeft + x] = 0;
    }
  }
  return page;
}

TEST(PageReader, MaxiCropIsReadAgainAfterEachQuarterTurn) {
  const struct Case {
    const char* name;
    Notch notch;
    std::size_t reads;  // views read until the notch is at the top left
    bool found;
  } cases[] = {
      {"upright", Notch::TopLeft, 1, true},       {"one turn", Notch::BottomLeft, 2, true},
      {"two turns", Notch::BottomRight, 3, true}, {"three turns", Notch::TopRight, 4, true},
      {"never", Notch::None, 4, false},
  };
  for (const Case& c : cases) {
    const LumaImage page = NotchedPage(c.notch);
    std::size_t reads = 0;
    // Like the Maxi Code finder: reads the symbol upright only, and reports
    // no position.
    const ViewReader uprightOnly = [&](const LumaView& view, const ViewSettings&) {
      ++reads;
      Int32 left = view.width, top = view.height;
      for (Int32 y = 0; y < view.height; ++y) {
        for (Int32 x = 0; x < view.width; ++x) {
          if (view.Row(y)[x] < 128) left = std::min(left, x), top = std::min(top, y);
        }
      }
      std::vector<Detection> found;
      if (left < view.width && view.Row(top + 5)[left + 5] >= 128) {
        Detection d;
        d.symbology = Symbology::MaxiCode;
        d.content = {'M'};
        found.push_back(d);
      }
      return found;
    };
    const PageRead read = ReadPage(ViewOf(page), {}, Options(kPassRegions, 0x20),
                                   Only(Symbology::MaxiCode), One(uprightOnly), Deadline::max());
    EXPECT_EQ(reads, c.reads) << c.name;
    ASSERT_EQ(read.findings.size(), c.found ? 1u : 0u) << c.name;
    if (!c.found) continue;
    // The whole tight crop, mapped back through the turns: the square and
    // a margin of a tenth of its side.
    const Box box = BoxOf(read.findings[0]);
    EXPECT_NEAR(box.left, 588, 4) << c.name;
    EXPECT_NEAR(box.top, 488, 4) << c.name;
    EXPECT_NEAR(box.right, 732, 4) << c.name;
    EXPECT_NEAR(box.bottom, 632, 4) << c.name;
  }
}

// A page of `count` checkered squares 48 pixels wide, 40 pixels apart, in
// rows of 8: square blobs without one strong direction, as on a sheet of
// matrix symbols.
LumaImage SquaresPage(int count) {
  LumaImage page = MarkedPage(900, 1000);
  std::fill(page.pixels.begin(), page.pixels.end(), 255);
  for (int i = 0; i < count; ++i) {
    const Int32 left = 60 + i % 8 * 100, top = 60 + i / 8 * 100;
    for (Int32 y = top; y < top + 48; ++y) {
      for (Int32 x = left; x < left + 48; ++x) {
        if (((x - left) / 8 + (y - top) / 8) % 2 == 0) page.Row(y)[x] = 0;
      }
    }
  }
  return page;
}

TEST(PageReader, QrCodeOfACrowdedPageIsReadInCropsAlone) {
  const struct Case {
    const char* name;
    int squares;
    bool crowded;
    bool cropsRead = true;
  } cases[] = {
      {"23 squares: the full pass reads QR Code", 23, false},
      {"24 squares: crops alone", 24, true},
      {"40 squares: crops alone", 40, true},
      // Squares that are no symbols (the blobs of a photo's texture): the
      // crops read none, and the whole page is read once more all the same.
      {"40 squares, none read: the whole page too", 40, true, false},
  };
  for (const Case& c : cases) {
    const LumaImage page = SquaresPage(c.squares);
    MarkReader marks;
    marks.symbology = Symbology::QrCode;
    // Like the library on a sheet: nothing from a view of several symbols.
    const ViewReader inner = marks.Reader();
    std::vector<Int64> viewPixels;
    const ViewReader oneAtATime = [&](const LumaView& view, const ViewSettings& settings) {
      viewPixels.push_back(Int64{view.width} * view.height);
      const bool crop = viewPixels.back() < 200 * 200;
      return crop && c.cropsRead ? inner(view, settings) : std::vector<Detection>{};
    };
    const PageRead read = ReadPage(ViewOf(page), {}, Options(kPassFull | kPassRegions, 0x20),
                                   Only(Symbology::QrCode), One(oneAtATime), Deadline::max());
    ASSERT_FALSE(viewPixels.empty()) << c.name;
    const Int64 whole = Int64{page.width} * page.height;
    // A page that is not crowded begins with the full pass; a crowded one
    // with the crops, and ends with the whole page once more, every symbol
    // found painted white.
    EXPECT_EQ(viewPixels.front() == whole, !c.crowded) << c.name;
    EXPECT_EQ(viewPixels.back() == whole, c.crowded) << c.name;
    EXPECT_EQ(read.findings.size(), static_cast<std::size_t>(c.cropsRead ? c.squares : 0))
        << c.name;
    for (const Finding& f : read.findings) {
      const Box box = BoxOf(f);
      EXPECT_NEAR(box.right - box.left, 48, 1) << c.name;
      EXPECT_NEAR(std::fmod(box.left - 60, 100), 0, 1) << c.name;
    }
  }
}

TEST(PageReader, AReaderAtItsLimitReadsTheViewAgainInQuarters) {
  const LumaImage page = MarkedPage(2000, 1600);
  MarkReader marks;
  const ViewReader inner = marks.Reader();
  std::vector<Int32> widths;
  // The whole page gives as many symbols as a read may report, away from
  // the mark; each quarter the box of its dark pixels.
  const ViewReader limited = [&](const LumaView& view, const ViewSettings& settings) {
    widths.push_back(view.width);
    if (view.width < page.width) return inner(view, settings);
    std::vector<Detection> many(static_cast<std::size_t>(settings.maxNumberOfSymbols));
    for (std::size_t i = 0; i < many.size(); ++i) {
      Detection& d = many[i];
      d.symbology = Symbology::Code128;
      char content[8];
      std::snprintf(content, sizeof content, "n%03d", static_cast<int>(i % 1000));
      d.content.assign(content, content + 4);
      const double x = 1000 + 3.0 * i, y = 1500;
      d.corners = {{{x, y}, {x + 2, y}, {x + 2, y + 2}, {x, y + 2}}};
    }
    return many;
  };
  const PageRead read = ReadPage(ViewOf(page), {}, Options(kPassFull, 0x20),
                                 Only(Symbology::Code128), One(limited), Deadline::max());
  EXPECT_EQ(widths, (std::vector<Int32>{2000, 1400, 1400, 1400, 1400}));
  // The 255 and the mark, found in the top-left quarter alone.
  ASSERT_EQ(read.findings.size(), 256u);
  const Box mark = BoxOf(read.findings.back());
  EXPECT_EQ(mark.left, kMarkLeft);
  EXPECT_EQ(mark.top, kMarkTop);
}

}  // namespace
}  // namespace vexo::engine
