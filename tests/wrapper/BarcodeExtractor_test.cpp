#include "wrapper/BarcodeExtractor.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/wrapper/ScriptedEngine.h"

namespace vexo {
namespace {

using Ops = std::vector<std::string>;
using Args = std::vector<std::int64_t>;
using Words = std::vector<UInt32>;
using test::Address;
using test::ScriptedEngine;

constexpr const char* kEmptyDocument = "{\n    \"page\": {\n        \"barcodes\": []\n    }\n}";
const Ops kUntilFind = {"DecodeImageToBitmap", "OpenBarcodeReader", "GetProfileOptions",
                        "FindBarcodes"};

Ops Then(Ops first, const Ops& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

BarcodeRequest Request() {
  BarcodeRequest request;
  request.width = 640, request.height = 480, request.stride = 640, request.dpi = 72;
  request.bitmapData = {'P', 'N', 'G', '!', '\0'};
  return request;
}

std::string Extract(const BarcodeRequest& request, ScriptedEngine& engine) {
  return BarcodeExtractor(request, engine).Extract();
}

TEST(BarcodeExtractor, NothingFoundClosesReaderButReleasesNoResults) {
  ScriptedEngine engine;
  engine.statuses["FindBarcodes"] = kEngineNothingFound;
  EXPECT_EQ(Extract(Request(), engine), kEmptyDocument);
  EXPECT_EQ(engine.Operations(), Then(kUntilFind, {"CloseBarcodeReader", "ReleaseBitmap"}));
}

TEST(BarcodeExtractor, WritesEveryRecordThenReleasesInReverseOrder) {
  ScriptedEngine engine;
  engine.AddResult(0x80000020, "ABC").left = 144;
  engine.AddResult(0x08000300, "\xFF");
  BarcodeRequest request = Request();
  request.dpi = 144;
  const std::string document = Extract(request, engine);
  EXPECT_NE(document.find("[72.0, 0.0, 0.0, 0.0],\n                \"type\": \"Code 128\",\n"
                          "                \"text\": \"ABC\","),
            std::string::npos);
  EXPECT_NE(document.find("\"QR Code\",\n                \"data\": \"/w==\","), std::string::npos);
  EXPECT_EQ(engine.Operations(),
            Then(kUntilFind, {"ReleaseBarcodeResults", "CloseBarcodeReader", "ReleaseBitmap"}));
  EXPECT_EQ(engine.Call("ReleaseBarcodeResults").args,
            (Args{engine.Call("FindBarcodes").args[10], Address(engine.results.data())}));

  request.outputFormat = 1;  // every content as data, even plain text
  EXPECT_NE(Extract(request, engine).find("\"data\": \"QUJD\""), std::string::npos);
}

TEST(BarcodeExtractor, CountOfZeroOrLessWritesNothing) {
  for (const Int32 count : {0, -1, -2147483647 - 1}) {
    ScriptedEngine engine;
    engine.AddResult(0x80000001, "123");
    engine.count = count;
    EXPECT_EQ(Extract(Request(), engine), kEmptyDocument) << count;
    EXPECT_EQ(engine.Operations()[4], "ReleaseBarcodeResults") << count;
  }
}

TEST(BarcodeExtractor, PassesArgumentsToEngine) {
  ScriptedEngine engine;
  engine.profileValue = 0x5A5A;
  engine.fillA = {0xA1, 0xA2, 0xA3}, engine.fillB = {0xB1}, engine.fillC = {0xC1, 0xC2};
  engine.statuses["FindBarcodes"] = kEngineNothingFound;
  const BarcodeRequest request = Request();
  Extract(request, engine);

  const Args& decode = engine.Call("DecodeImageToBitmap").args;
  const std::int64_t bitmap = decode[1];
  EXPECT_EQ(decode, (Args{Address(request.bitmapData.data()), bitmap, 284, 0, 4, 5, 0, 0}));
  const test::EngineCall& profile = engine.Call("GetProfileOptions");
  EXPECT_EQ(profile.args[0], 0);                                      // profile index
  EXPECT_EQ((Args{profile.args[6], profile.args[7]}), (Args{0, 0}));  // outputs zeroed
  EXPECT_EQ(profile.wordsA, (Words{44, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(profile.wordsB, (Words{8, 0}));
  EXPECT_EQ(profile.wordsC, (Words{12, 0, 0}));

  const test::EngineCall& find = engine.Call("FindBarcodes");
  EXPECT_EQ(find.args, (Args{bitmap, find.args[1], find.args[2], 19, 0, 0x5A5A, 0, profile.args[2],
                             profile.args[3], profile.args[4], find.args[10], 104, 0, 0, 0}));
  EXPECT_EQ((Args{find.rect.left, find.rect.top, find.rect.right, find.rect.bottom}),
            (Args{0, 0, 640, 480}));
  // The direction flags replace word 2 of A and word 1 of B; the rest stays.
  EXPECT_EQ(find.wordsA, (Words{44, 0xA1, 0xE0, 0xA3, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(find.wordsB, (Words{8, 0xE0}));
  EXPECT_EQ(find.wordsC, (Words{12, 0xC1, 0xC2}));
  EXPECT_EQ(engine.Call("ReleaseBitmap").args, (Args{bitmap}));
}

TEST(BarcodeExtractor, FailuresThrowAndReleaseWhatWasTaken) {
  const struct {
    const char* operation;
    bool withResults;
    std::string errorText;
    std::string message;
    Ops operations;
  } cases[] = {
      {"DecodeImageToBitmap", false, "", "Could not create bitmap image", {"DecodeImageToBitmap"}},
      {"OpenBarcodeReader",
       false,
       "",
       "Could not initialize barcode reader",
       {"DecodeImageToBitmap", "OpenBarcodeReader", "ReleaseBitmap"}},
      {"GetProfileOptions",
       false,
       "",
       "Could not initialize profile settings",
       {"DecodeImageToBitmap", "OpenBarcodeReader", "GetProfileOptions", "CloseBarcodeReader",
        "ReleaseBitmap"}},
      {"FindBarcodes", false, "Image too small", "Image too small",
       Then(kUntilFind, {"DescribeError", "CloseBarcodeReader", "ReleaseBitmap"})},
      {"FindBarcodes", true, "Engine busy", "Engine busy",
       Then(kUntilFind,
            {"DescribeError", "ReleaseBarcodeResults", "CloseBarcodeReader", "ReleaseBitmap"})},
      {"FindBarcodes", false, "", "",
       Then(kUntilFind, {"DescribeError", "CloseBarcodeReader", "ReleaseBitmap"})},
      {"FindBarcodes", false, std::string(1500, 'x'), std::string(1023, 'x'),
       Then(kUntilFind, {"DescribeError", "CloseBarcodeReader", "ReleaseBitmap"})}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.operation) + " text " + std::to_string(c.errorText.size()));
    ScriptedEngine engine;
    engine.statuses[c.operation] = -99;
    engine.errorText = c.errorText;
    if (c.withResults) engine.AddResult(0x80000001, "1");
    std::string message = "(none)";
    try {
      Extract(Request(), engine);
    } catch (const std::runtime_error& error) {
      message = error.what();
    }
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(engine.Operations(), c.operations);
    for (const test::EngineCall& call : engine.calls) {
      if (call.operation == "DescribeError") {  // buffer zero-filled before the call
        EXPECT_EQ(call.args, (Args{-99, call.args[1], 1024, 0, 1}));
      }
    }
  }
}

TEST(BarcodeExtractor, TranslatesGroupsDirectionsAndProfile) {
  const Words all = {0x8003FFFF, 0x04000001, 0x04000002, 0x04000004, 0x04000008,
                     0x04000010, 0x04000080, 0x04000020, 0x04000040, 0x04000100,
                     0x20002000, 0x20000001, 0x08000001, 0x10000001, 0x10000002,
                     0x10000004, 0x21000000, 0x22000000, 0x24000000};
  const struct {
    const char* name;
    UInt32 groups, directions;
    Int32 profile;
    Words codes;
    std::int64_t featureMask, directionFlags, profileIndex;
  } cases[] = {{"Defaults", 0xFFFFFFFF, 0xFFFFFFFF, 1, all, 0xAAA9, 0xE0, 0},
               {"AllGroupBitsOnly", 0x1FFF, 0x7, 2, all, 0xAAA9, 0xE0, 1},
               {"NoGroups", 0, 0, 3, {}, 0, 0, 2},
               {"OnlyUnusedBits", 0xFFFFE000, 0xFFFFFFF8, 4, {}, 0, 0, 3},
               {"PostalPair", 0x0002, 5, 7, {0x04000002, 0x04000004}, 0x1, 0xA0, 0},
               {"LinearAndQr", 0x0011, 2, 5, {0x8003FFFF, 0x08000001}, 0x81, 0x40, 0},
               {"PatchAndPharma", 0x1800, 1, 0, {0x04000001, 0x04000100}, 0x1, 0x20, 0},
               {"Matrix",
                0x07F0,
                4,
                -2,
                {0x20002000, 0x20000001, 0x08000001, 0x10000001, 0x10000002, 0x10000004, 0x21000000,
                 0x22000000, 0x24000000},
                0xAAA8,
                0x80,
                0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedEngine engine;
    BarcodeRequest request = Request();
    request.searchTypeGroups = c.groups, request.searchDirections = c.directions;
    request.profile = c.profile;
    Extract(request, engine);
    EXPECT_EQ(engine.Call("OpenBarcodeReader").args, (Args{c.featureMask}));
    EXPECT_EQ(engine.Call("GetProfileOptions").args[0], c.profileIndex);
    const test::EngineCall& find = engine.Call("FindBarcodes");
    EXPECT_EQ(find.codes, c.codes);
    EXPECT_EQ(find.args[3], static_cast<std::int64_t>(c.codes.size()));
    EXPECT_EQ(find.args[2] == 0, c.codes.empty());  // an empty list goes as a null pointer
    EXPECT_EQ((Args{find.wordsA[2], find.wordsB[1]}), (Args{c.directionFlags, c.directionFlags}));
  }
}

}  // namespace
}  // namespace vexo
