#include "wrapper/BarcodeExtractor.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/wrapper/ScriptedEngine.h"

namespace vexo {
namespace {

using Ops = std::vector<std::string>;
using test::Address;
using test::EngineCall;
using test::ScriptedEngine;

constexpr const char* kEmptyDocument = "{\n    \"page\": {\n        \"barcodes\": []\n    }\n}";

BarcodeRequest Request() {
  BarcodeRequest request;
  request.width = 640;
  request.height = 480;
  request.stride = 640;
  request.dpi = 72;
  request.bitmapData = {'P', 'N', 'G', '!', '\0'};
  return request;
}

std::string Extract(const BarcodeRequest& request, ScriptedEngine& engine) {
  return BarcodeExtractor(request, engine).Extract();
}

// The message of the std::runtime_error that Extract throws.
std::string Failure(const BarcodeRequest& request, ScriptedEngine& engine) {
  try {
    Extract(request, engine);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  ADD_FAILURE() << "no std::runtime_error";
  return {};
}

TEST(BarcodeExtractor, NothingFoundClosesReaderAndKeepsResults) {
  ScriptedEngine engine;
  engine.statuses["FindBarcodes"] = kEngineNothingFound;
  EXPECT_EQ(Extract(Request(), engine), kEmptyDocument);
  EXPECT_EQ(engine.Operations(), (Ops{"DecodeImageToBitmap", "OpenBarcodeReader", "GetProfileOptions",
                                      "FindBarcodes", "CloseBarcodeReader", "ReleaseBitmap"}));
}

TEST(BarcodeExtractor, BarcodesFoundAreWrittenAndReleased) {
  ScriptedEngine engine;
  engine.AddResult(0x80000020, "ABC").left = 144;
  engine.AddResult(0x08000300, std::string("\xFF", 1));
  BarcodeRequest request = Request();
  request.dpi = 144;
  const std::string document = Extract(request, engine);
  EXPECT_NE(document.find("\"rect\": [72.0, 0.0, 0.0, 0.0],\n                \"type\": \"Code 128\",\n"
                          "                \"text\": \"ABC\","),
            std::string::npos);
  EXPECT_NE(document.find("\"type\": \"QR Code\",\n                \"data\": \"/w==\","),
            std::string::npos);
  EXPECT_EQ(engine.Operations(),
            (Ops{"DecodeImageToBitmap", "OpenBarcodeReader", "GetProfileOptions", "FindBarcodes",
                 "ReleaseBarcodeResults", "CloseBarcodeReader", "ReleaseBitmap"}));
  const EngineCall& find = *engine.Find("FindBarcodes");
  const EngineCall& release = *engine.Find("ReleaseBarcodeResults");
  EXPECT_EQ(release.pointers, (std::vector{find.pointers[6], Address(engine.results.data())}));
}

TEST(BarcodeExtractor, OutputFormatOneWritesData) {
  ScriptedEngine engine;
  engine.AddResult(0x80000001, "123");
  BarcodeRequest request = Request();
  request.outputFormat = 1;
  EXPECT_NE(Extract(request, engine).find("\"data\": \"MTIz\""), std::string::npos);
}

TEST(BarcodeExtractor, CountOfZeroOrLessWritesNothing) {
  for (const Int32 count : {0, -1, -2147483647 - 1}) {
    ScriptedEngine engine;
    engine.AddResult(0x80000001, "123");
    engine.count = count;
    EXPECT_EQ(Extract(Request(), engine), kEmptyDocument) << count;
    EXPECT_NE(engine.Find("ReleaseBarcodeResults"), nullptr) << count;
  }
}

TEST(BarcodeExtractor, PassesArgumentsToEngine) {
  ScriptedEngine engine;
  engine.profileValue = 0x5A5A;
  engine.wordsA = {0xA1, 0xA2, 0xA3, 0xA4};
  engine.wordsB = {0xB1};
  engine.wordsC = {0xC1, 0xC2};
  engine.statuses["FindBarcodes"] = kEngineNothingFound;
  const BarcodeRequest request = Request();
  Extract(request, engine);

  const EngineCall& decode = *engine.Find("DecodeImageToBitmap");
  EXPECT_EQ(decode.values, (std::vector<std::int64_t>{284, 0, 4, 5}));
  const std::uintptr_t bitmap = decode.pointers[1];
  EXPECT_EQ(decode.pointers, (std::vector<std::uintptr_t>{Address(request.bitmapData.data()),
                                                          bitmap, 0, 0}));

  const EngineCall& profile = *engine.Find("GetProfileOptions");
  EXPECT_EQ(profile.values, (std::vector<std::int64_t>{0, 0, 0}));  // index, both outputs zeroed
  EXPECT_EQ(std::vector(std::begin(profile.optionsA.words), std::end(profile.optionsA.words)),
            (std::vector<UInt32>{44, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector(std::begin(profile.optionsB.words), std::end(profile.optionsB.words)),
            (std::vector<UInt32>{8, 0}));
  EXPECT_EQ(std::vector(std::begin(profile.optionsC.words), std::end(profile.optionsC.words)),
            (std::vector<UInt32>{12, 0, 0}));

  const EngineCall& find = *engine.Find("FindBarcodes");
  EXPECT_EQ(find.values, (std::vector<std::int64_t>{19, 0, 0x5A5A, 0, 104, 0, 0}));
  EXPECT_EQ(find.pointers[0], bitmap);
  EXPECT_EQ(find.pointers[3], profile.pointers[1]);  // the same blocks the engine filled
  EXPECT_EQ(find.pointers[7], 0u);                   // result pointer null before the call
  EXPECT_EQ((std::vector{find.rect.left, find.rect.top, find.rect.right, find.rect.bottom}),
            (std::vector<Int32>{0, 0, 640, 480}));
  // Direction flags overwrite word 2 of A and word 1 of B; the rest stays.
  EXPECT_EQ(std::vector(std::begin(find.optionsA.words), std::end(find.optionsA.words)),
            (std::vector<UInt32>{44, 0xA1, 0xE0, 0xA3, 0xA4, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector(std::begin(find.optionsB.words), std::end(find.optionsB.words)),
            (std::vector<UInt32>{8, 0xE0}));
  EXPECT_EQ(std::vector(std::begin(find.optionsC.words), std::end(find.optionsC.words)),
            (std::vector<UInt32>{12, 0xC1, 0xC2}));
  EXPECT_EQ(engine.Find("ReleaseBitmap")->pointers[0], bitmap);
}

struct FailureCase {
  const char* name;
  const char* operation;
  bool withResults;
  std::string errorText;
  std::string message;
  Ops operations;
};

class ExtractFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ExtractFailureTest, ThrowsAndReleasesWhatWasTaken) {
  const FailureCase& c = GetParam();
  ScriptedEngine engine;
  engine.statuses[c.operation] = -99;
  engine.errorText = c.errorText;
  if (c.withResults) engine.AddResult(0x80000001, "1");
  EXPECT_EQ(Failure(Request(), engine), c.message);
  EXPECT_EQ(engine.Operations(), c.operations);
  if (const EngineCall* describe = engine.Find("DescribeError")) {
    EXPECT_EQ(describe->values, (std::vector<std::int64_t>{-99, 1024, 0, 1}));  // zero-filled
  }
}

const Ops kThroughFind = {"DecodeImageToBitmap", "OpenBarcodeReader", "GetProfileOptions",
                          "FindBarcodes", "DescribeError"};
Ops Then(Ops first, const Ops& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ExtractFailureTest,
    ::testing::Values(
        FailureCase{"Decode", "DecodeImageToBitmap", false, "", "Could not create bitmap image",
                    {"DecodeImageToBitmap"}},
        FailureCase{"OpenReader", "OpenBarcodeReader", false, "", "Could not initialize barcode reader",
                    {"DecodeImageToBitmap", "OpenBarcodeReader", "ReleaseBitmap"}},
        FailureCase{"Profile", "GetProfileOptions", false, "", "Could not initialize profile settings",
                    {"DecodeImageToBitmap", "OpenBarcodeReader", "GetProfileOptions",
                     "CloseBarcodeReader", "ReleaseBitmap"}},
        FailureCase{"FindWithText", "FindBarcodes", false, "Image too small", "Image too small",
                    Then(kThroughFind, {"CloseBarcodeReader", "ReleaseBitmap"})},
        FailureCase{"FindWithResults", "FindBarcodes", true, "Engine busy", "Engine busy",
                    Then(kThroughFind, {"ReleaseBarcodeResults", "CloseBarcodeReader", "ReleaseBitmap"})},
        FailureCase{"FindWithoutText", "FindBarcodes", false, "", "",
                    Then(kThroughFind, {"CloseBarcodeReader", "ReleaseBitmap"})},
        FailureCase{"FindFillingBuffer", "FindBarcodes", false, std::string(1500, 'x'),
                    std::string(1023, 'x'), Then(kThroughFind, {"CloseBarcodeReader", "ReleaseBitmap"})}),
    [](const auto& param) { return std::string(param.param.name); });

struct OptionCase {
  const char* name;
  UInt32 groups;
  UInt32 directions;
  Int32 profile;
  std::vector<UInt32> codes;
  UInt32 featureMask;
  UInt32 directionFlags;
  std::int64_t profileIndex;
};

class ReaderOptionTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(ReaderOptionTest, TranslatesRequest) {
  const OptionCase& c = GetParam();
  ScriptedEngine engine;
  BarcodeRequest request = Request();
  request.searchTypeGroups = c.groups;
  request.searchDirections = c.directions;
  request.profile = c.profile;
  Extract(request, engine);
  EXPECT_EQ(engine.Find("OpenBarcodeReader")->values, (std::vector<std::int64_t>{c.featureMask}));
  EXPECT_EQ(engine.Find("GetProfileOptions")->values[0], c.profileIndex);
  const EngineCall& find = *engine.Find("FindBarcodes");
  EXPECT_EQ(find.codes, c.codes);
  EXPECT_EQ(find.values[0], static_cast<std::int64_t>(c.codes.size()));
  EXPECT_EQ(find.pointers[2] == 0, c.codes.empty());  // no list: a null pointer
  EXPECT_EQ(find.optionsA.words[2], c.directionFlags);
  EXPECT_EQ(find.optionsB.words[1], c.directionFlags);
}

const std::vector<UInt32> kAllCodes = {
    0x8003FFFF, 0x04000001, 0x04000002, 0x04000004, 0x04000008, 0x04000010, 0x04000080,
    0x04000020, 0x04000040, 0x04000100, 0x20002000, 0x20000001, 0x08000001, 0x10000001,
    0x10000002, 0x10000004, 0x21000000, 0x22000000, 0x24000000};

INSTANTIATE_TEST_SUITE_P(
    Requests, ReaderOptionTest,
    ::testing::Values(
        OptionCase{"Defaults", 0xFFFFFFFF, 0xFFFFFFFF, 1, kAllCodes, 0xAAA9, 0xE0, 0},
        OptionCase{"AllGroupBitsOnly", 0x1FFF, 0x7, 2, kAllCodes, 0xAAA9, 0xE0, 1},
        OptionCase{"NoGroups", 0, 0, 3, {}, 0, 0, 2},
        OptionCase{"OnlyUnusedBits", 0xFFFFE000, 0xFFFFFFF8, 4, {}, 0, 0, 3},
        OptionCase{"PostalPair", 0x0002, 5, 7, {0x04000002, 0x04000004}, 0x1, 0xA0, 0},
        OptionCase{"LinearAndQr", 0x0011, 2, 5, {0x8003FFFF, 0x08000001}, 0x81, 0x40, 0},
        OptionCase{"PatchAndPharma", 0x1800, 1, 0, {0x04000001, 0x04000100}, 0x1, 0x20, 0},
        OptionCase{"Matrix", 0x07F0, 4, -2, {0x20002000, 0x20000001, 0x08000001, 0x10000001,
                                             0x10000002, 0x10000004, 0x21000000, 0x22000000,
                                             0x24000000}, 0xAAA8, 0x80, 0}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo
