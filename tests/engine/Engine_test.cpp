// The engine's handling of bitmaps, reader state, option blocks, result
// release and status texts, through the ImagingEngine interface.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/Status.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

using namespace vexo::engine;

const std::vector<UInt8>& SmallPng() {
  static const std::vector<UInt8> png = EncodePng(Gray::White(64, 48));
  return png;
}

EngineStatus Decode(ImagingEngine& engine, EngineBitmap& bitmap,
                    const std::vector<UInt8>& bytes = SmallPng(), UInt32 size = 284,
                    UInt32 mode = 4) {
  return engine.DecodeImageToBitmap(bytes.data(), &bitmap, size, 0, mode, bytes.size(), nullptr,
                                    nullptr);
}

// Closes the process-wide reader whatever a test left behind.
class EngineTest : public ::testing::Test {
 protected:
  void TearDown() override { engine->CloseBarcodeReader(); }
  std::unique_ptr<ImagingEngine> engine = CreateImagingEngine();
};

TEST_F(EngineTest, BitmapReleasedTwiceIsHarmlessAndCleared) {
  EngineBitmap bitmap{};
  ASSERT_EQ(Decode(*engine, bitmap), kEngineSuccess);
  EXPECT_EQ(Decode(*engine, bitmap), kStatusInvalidArgument) << "still holds an image";
  EXPECT_EQ(engine->ReleaseBitmap(&bitmap), kEngineSuccess);
  const EngineBitmap zero{};
  EXPECT_EQ(std::memcmp(&bitmap, &zero, sizeof bitmap), 0);
  EXPECT_EQ(engine->ReleaseBitmap(&bitmap), kEngineSuccess);
  EXPECT_EQ(Decode(*engine, bitmap), kEngineSuccess) << "reused after release";
  EXPECT_EQ(engine->ReleaseBitmap(&bitmap), kEngineSuccess);
}

TEST_F(EngineTest, BitmapsNotHoldingOurHandleAreRefused) {
  EngineBitmap live{};
  ASSERT_EQ(Decode(*engine, live), kEngineSuccess);
  EngineBitmap copy = live;  // released through the original below
  ASSERT_EQ(engine->ReleaseBitmap(&live), kEngineSuccess);
  EngineBitmap foreign{};
  std::memset(foreign.bytes, 0x5A, sizeof foreign.bytes);
  ASSERT_EQ(engine->OpenBarcodeReader(kAllFeatures), kEngineSuccess);
  ProfileOptionsA a{{44}};
  ProfileOptionsB b{{8}};
  ProfileOptionsC c{{12}};
  UInt32 value = 0;
  ASSERT_EQ(engine->GetProfileOptions(0, &value, &a, &b, &c, nullptr), kEngineSuccess);
  const SearchRect rect{0, 0, 64, 48};
  for (EngineBitmap* bitmap : {&copy, &foreign}) {
    BarcodeResult* results = nullptr;
    EXPECT_EQ(engine->FindBarcodes(bitmap, &rect, &kAllLinear, 1, 0, value, 0, &a, &b, &c,
                                   &results, 104, 0, 0),
              kStatusInvalidBitmap);
    EXPECT_EQ(results, nullptr);
    EXPECT_EQ(engine->ReleaseBitmap(bitmap), kStatusInvalidBitmap);
  }
}

TEST_F(EngineTest, DecodeChecksItsArguments) {
  const std::vector<UInt8> empty;
  struct Case {
    const char* name;
    UInt32 size;
    UInt32 mode;
    const std::vector<UInt8>* bytes;
    EngineStatus expected;
  } cases[] = {
      {"record size 283", 283, 4, &SmallPng(), kStatusInvalidArgument},
      {"record size 288", 288, 4, &SmallPng(), kStatusInvalidArgument},
      {"mode 3", 284, 3, &SmallPng(), kStatusInvalidArgument},
      {"no bytes", 284, 4, &empty, kStatusEmptyImage},
      {"valid", 284, 4, &SmallPng(), kEngineSuccess},
  };
  for (const Case& c : cases) {
    EngineBitmap bitmap{};
    EXPECT_EQ(Decode(*engine, bitmap, *c.bytes, c.size, c.mode), c.expected) << c.name;
    engine->ReleaseBitmap(&bitmap);
  }
  EngineBitmap bitmap{};
  EXPECT_EQ(engine->DecodeImageToBitmap(nullptr, &bitmap, 284, 0, 4, 10, nullptr, nullptr),
            kStatusInvalidArgument);
  EXPECT_EQ(engine->DecodeImageToBitmap(SmallPng().data(), nullptr, 284, 0, 4, SmallPng().size(),
                                        nullptr, nullptr),
            kStatusInvalidArgument);
}

TEST_F(EngineTest, ReaderOpensOnceAndClosesOnce) {
  EngineSession session(Gray::White(64, 48));  // opens the reader
  // The reader is process-wide: a second engine object sees it open.
  EXPECT_EQ(engine->OpenBarcodeReader(0x1), kStatusReaderAlreadyOpen);
  EXPECT_EQ(engine->CloseBarcodeReader(), kEngineSuccess);
  EXPECT_EQ(engine->CloseBarcodeReader(), kStatusReaderNotOpen);
  EXPECT_EQ(session.Find({}).status, kStatusReaderNotOpen);
  ASSERT_EQ(engine->OpenBarcodeReader(kAllFeatures), kEngineSuccess);
  EXPECT_EQ(session.Find({}).status, kStatusNothingFound);
}

TEST_F(EngineTest, ProfileOptionsCheckSizesAndIndex) {
  struct Case {
    const char* name;
    UInt32 index, sizeA, sizeB, sizeC;
    EngineStatus expected;
  } cases[] = {
      {"valid profile 0", 0, 44, 8, 12, kEngineSuccess},
      {"valid profile 3", 3, 44, 8, 12, kEngineSuccess},
      {"profile 4", 4, 44, 8, 12, kStatusInvalidProfile},
      {"A size 40", 0, 40, 8, 12, kStatusInvalidOptions},
      {"B size 0", 0, 44, 0, 12, kStatusInvalidOptions},
      {"C size 44", 0, 44, 8, 44, kStatusInvalidOptions},
  };
  for (const Case& c : cases) {
    ProfileOptionsA a{{c.sizeA}};
    ProfileOptionsB b{{c.sizeB}};
    ProfileOptionsC cc{{c.sizeC}};
    UInt32 value = 0, extra = 0;
    EXPECT_EQ(engine->GetProfileOptions(c.index, &value, &a, &b, &cc, &extra), c.expected)
        << c.name;
    if (c.expected != kEngineSuccess) continue;
    EXPECT_EQ(a.words[0], 44u) << c.name;
    EXPECT_EQ(b.words[0], 8u) << c.name;
    EXPECT_EQ(cc.words[0], 12u) << c.name;
    EXPECT_EQ(a.words[1], c.index) << c.name;
    EXPECT_EQ(a.words[kDirectionWordA], b.words[kDirectionWordB]) << c.name;
    EXPECT_NE(value, 0u) << c.name;
  }
  ProfileOptionsA a{{44}};
  ProfileOptionsB b{{8}};
  ProfileOptionsC cc{{12}};
  EXPECT_EQ(engine->GetProfileOptions(0, nullptr, &a, &b, &cc, nullptr), kStatusInvalidArgument);
}

TEST_F(EngineTest, FindChecksTheBlocksItReads) {
  EngineSession session(Gray::White(64, 48));
  struct Case {
    const char* name;
    std::size_t word;
    UInt32 value;
    EngineStatus expected;
  } cases[] = {
      {"A size", 0, 48, kStatusInvalidOptions},
      {"no pass", 3, 0, kStatusInvalidOptions},
      {"unknown pass bit", 3, 0x201, kStatusInvalidOptions},
      {"binarizer 2", 4, 2, kStatusInvalidOptions},
      {"min line count 0", 5, 0, kStatusInvalidOptions},
      {"effort 2", 7, 2, kStatusInvalidOptions},
      {"diagonal method 0", 10, 0, kStatusInvalidOptions},
      {"diagonal method 4", 10, 4, kStatusInvalidOptions},
      {"global binarizer", 4, 1, kStatusNothingFound},
      {"no time budget", 6, 0, kStatusNothingFound},
  };
  for (const Case& c : cases) {
    FindArgs args;
    args.wordsA = {{c.word, c.value}};
    EXPECT_EQ(session.Find(args).status, c.expected) << c.name;
  }
  FindArgs badC;
  badC.wordsC = {{0, 8}};
  EXPECT_EQ(session.Find(badC).status, kStatusInvalidOptions);
}

TEST_F(EngineTest, FindChecksProfileValueAndResultSize) {
  EngineSession session(Gray::White(64, 48));
  ProfileOptionsA a{{44}};
  ProfileOptionsB b{{8}};
  ProfileOptionsC c{{12}};
  UInt32 value = 0;
  ASSERT_EQ(session.Engine().GetProfileOptions(2, &value, &a, &b, &c, nullptr), kEngineSuccess);
  const SearchRect rect{0, 0, 64, 48};
  auto find = [&](UInt32 profileValue, UInt32 resultSize, BarcodeResult** results) {
    return session.Engine().FindBarcodes(&session.Bitmap(), &rect, &kAllLinear, 1, 0,
                                         profileValue, 0, &a, &b, &c, results, resultSize, 0, 0);
  };
  BarcodeResult* results = nullptr;
  EXPECT_EQ(find(value, 104, &results), kStatusNothingFound);
  EXPECT_EQ(find(0, 104, &results), kStatusInvalidProfile);
  EXPECT_EQ(find(value + 100, 104, &results), kStatusInvalidProfile);
  EXPECT_EQ(find(value, 100, &results), kStatusInvalidResultSize);
  EXPECT_EQ(find(value, 104, nullptr), kStatusInvalidArgument);
}

TEST_F(EngineTest, ReleaseResultsChecksThePointer) {
  BarcodeResult* none = nullptr;
  EXPECT_EQ(engine->ReleaseBarcodeResults(&none), kEngineSuccess);
  EXPECT_EQ(engine->ReleaseBarcodeResults(nullptr), kStatusInvalidArgument);
  BarcodeResult foreign{};
  BarcodeResult* pointer = &foreign;
  EXPECT_EQ(engine->ReleaseBarcodeResults(&pointer), kStatusInvalidArgument);
  EXPECT_EQ(pointer, &foreign);
}

TEST_F(EngineTest, DescribeErrorGivesTheTextCutToTheBuffer) {
  struct Case {
    const char* name;
    EngineStatus status;
    UInt32 size;
    std::string expected;
  } cases[] = {
      {"success", 1, 1024, "The operation succeeded."},
      {"nothing found", -417, 1024, "No barcode was found in the search area."},
      {"unknown code", -204, 1024, "A symbology code that the engine does not know was requested."},
      {"unknown status", 12345, 1024, "Unknown imaging engine status."},
      {"cut to 10", -201, 10, "The barco"},
      {"room for the zero only", -201, 1, ""},
  };
  for (const Case& c : cases) {
    std::string buffer(c.size + 4, '#');
    EXPECT_EQ(engine->DescribeError(c.status, buffer.data(), c.size, 0), kEngineSuccess) << c.name;
    EXPECT_EQ(std::string(buffer.c_str()), c.expected) << c.name;
    EXPECT_EQ(buffer[c.size], '#') << c.name << ": wrote past the buffer";
  }
  char one = 'x';
  EXPECT_EQ(engine->DescribeError(1, nullptr, 10, 0), kStatusInvalidArgument);
  EXPECT_EQ(engine->DescribeError(1, &one, 0, 0), kStatusInvalidArgument);
  EXPECT_EQ(one, 'x');
}

}  // namespace
}  // namespace vexo::test
