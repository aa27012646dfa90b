// Which symbols a code list asks for, and the statuses of faulty lists.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/core/Status.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

using namespace vexo::engine;

// Code 128 and Code 39 lying flat, a QR Code, a Datamatrix and a Micro
// PDF417 away from the page centre.
const Gray& MixedPage() {
  static const Gray page = [] {
    Gray p = Gray::White(1400, 1000);
    Place(p, DrawSymbol("CODE128 -d CODE128-FLAT --height=30", 1), 80, 80);
    Place(p, DrawSymbol("CODE39 -d C39-FLAT --height=30", 1), 80, 400);
    Place(p, DrawSymbol("QRCODE -d QR-MIXED", 2), 900, 80);
    Place(p, DrawSymbol("DATAMATRIX --square -d DM-MIXED", 2), 1000, 650);
    Place(p, DrawSymbol("MICROPDF417 --cols=2 -d MPDF-MIXED", 1), 300, 700);
    return p;
  }();
  return page;
}

std::set<std::string> Contents(const FindOutcome& outcome) {
  std::set<std::string> contents;
  for (const Record& r : outcome.records) contents.insert(r.content);
  return contents;
}

struct CodeCase {
  const char* name;
  std::vector<UInt32> codes;
  EngineStatus status;
  std::set<std::string> found;
};

TEST(EngineCodes, ListSelectsSymbologies) {
  const CodeCase cases[] = {
      {"all linear", {0x8003FFFF}, kEngineSuccess, {"CODE128-FLAT", "C39-FLAT"}},
      {"Code 128 alone", {0x80000020}, kEngineSuccess, {"CODE128-FLAT"}},
      {"Code 39 alone", {0x80000010}, kEngineSuccess, {"C39-FLAT"}},
      {"two linear bits", {0x80000030}, kEngineSuccess, {"CODE128-FLAT", "C39-FLAT"}},
      {"EAN-13 alone", {0x80000001}, kStatusNothingFound, {}},
      {"QR Code", {0x08000001}, kEngineSuccess, {"QR-MIXED"}},
      {"Datamatrix", {0x10000002}, kEngineSuccess, {"DM-MIXED"}},
      {"QR Code and Code 39", {0x08000001, 0x80000010}, kEngineSuccess, {"QR-MIXED", "C39-FLAT"}},
      {"empty list", {}, kStatusNothingFound, {}},
      {"Post Net: none on the page", {0x04000002}, kStatusNothingFound, {}},
      {"Pharma Code: none on the page", {0x04000100}, kStatusNothingFound, {}},
      {"MSI: accepted, not read yet", {0x80001000}, kStatusNothingFound, {}},
      {"Micro PDF417", {0x20000001}, kEngineSuccess, {"MPDF-MIXED"}},
      {"PDF417 is not Micro PDF417", {0x20002000}, kStatusNothingFound, {}},
      {"unknown code", {0x12345678}, kStatusUnknownSymbology, {}},
      {"zero code", {0}, kStatusUnknownSymbology, {}},
      {"linear bit past the last", {0x80040000}, kStatusUnknownSymbology, {}},
      {"result code of a QR Code", {0x08000301}, kStatusUnknownSymbology, {}},
      {"unknown after a good code", {0x8003FFFF, 0xDEAD}, kStatusUnknownSymbology, {}},
  };
  EngineSession session(MixedPage());
  for (const CodeCase& c : cases) {
    FindArgs args;
    args.codes = c.codes;
    const FindOutcome outcome = session.Find(args);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(Contents(outcome), c.found) << c.name << "\n" << Describe(outcome.records);
  }
}

TEST(EngineCodes, FamiliesMustBeEnabledWhenTheReaderOpens) {
  const CodeCase cases[] = {
      {"linear enabled", {0x8003FFFF}, kEngineSuccess, {"CODE128-FLAT", "C39-FLAT"}},
      {"postal rides on the linear bit", {0x04000008}, kStatusNothingFound, {}},
      {"QR Code not enabled", {0x08000001}, kStatusFeatureNotEnabled, {}},
      {"Micro PDF417 not enabled", {0x20000001}, kStatusFeatureNotEnabled, {}},
      {"first faulty code decides: unknown", {0xDEAD, 0x08000001}, kStatusUnknownSymbology, {}},
      {"first faulty code decides: feature", {0x08000001, 0xDEAD}, kStatusFeatureNotEnabled, {}},
  };
  EngineSession session(MixedPage(), 0x1);
  for (const CodeCase& c : cases) {
    FindArgs args;
    args.codes = c.codes;
    const FindOutcome outcome = session.Find(args);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(Contents(outcome), c.found) << c.name;
  }
}

TEST(EngineCodes, NullListNeedsCountZero) {
  EngineSession session(Gray::White(64, 64));
  ProfileOptionsA a{{44}};
  ProfileOptionsB b{{8}};
  ProfileOptionsC c{{12}};
  UInt32 value = 0;
  ASSERT_EQ(session.Engine().GetProfileOptions(0, &value, &a, &b, &c, nullptr), kEngineSuccess);
  const SearchRect rect{0, 0, 64, 64};
  for (const auto& [count, expected] :
       {std::pair<UInt32, EngineStatus>{0, kStatusNothingFound}, {2, kStatusInvalidArgument}}) {
    BarcodeResult* results = nullptr;
    EXPECT_EQ(session.Engine().FindBarcodes(&session.Bitmap(), &rect, nullptr, count, 0, value, 0,
                                            &a, &b, &c, &results, 104, 0, 0),
              expected)
        << count;
  }
}

}  // namespace
}  // namespace vexo::test
