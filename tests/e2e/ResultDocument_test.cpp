// The result document the worker writes for a page whose symbols and
// positions are known, compared byte for byte, and the request members that
// change it: output format, symbology groups and the searched area.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/e2e/E2eSupport.h"

namespace vexo::e2e {

// The mixed page at 144 dpi: every coordinate is half the pixel value.
const char kMixedPageDocument[] = R"({
    "page": {
        "barcodes": [
            {
                "rect": [30.0, 30.0, 141.5, 59.5],
                "type": "Code 128",
                "text": "E2E-128",
                "angle": 0.0,
                "vertices": [30.0, 30.0, 141.5, 30.0, 141.5, 59.5, 30.0, 59.5]
            },
            {
                "rect": [360.0, 30.0, 402.0, 72.0],
                "type": "QR Code",
                "text": "E2E QR 0042",
                "angle": 0.0,
                "vertices": [360.0, 30.0, 402.0, 30.0, 402.0, 72.0, 360.0, 72.0]
            },
            {
                "rect": [238.0, 130.0, 267.5, 219.5],
                "type": "Code 39",
                "text": "E2E39",
                "angle": -90.0,
                "vertices": [267.5, 130.0, 267.5, 219.5, 238.0, 219.5, 238.0, 130.0]
            },
            {
                "rect": [46.5, 210.0, 188.5, 284.5],
                "type": "EAN-13",
                "text": "4006381333931",
                "angle": 0.0,
                "vertices": [46.5, 210.0, 188.5, 210.0, 188.5, 284.5, 46.5, 284.5]
            },
            {
                "rect": [390.0, 260.0, 426.0, 296.0],
                "type": "Datamatrix",
                "text": "E2E DM",
                "angle": 0.0,
                "vertices": [390.0, 260.0, 426.0, 260.0, 426.0, 296.0, 390.0, 296.0]
            }]
    }
})";

namespace {

// The same with outputFormat 1: content as Base64 under "data".
constexpr char kMixedPageBase64Document[] = R"({
    "page": {
        "barcodes": [
            {
                "rect": [30.0, 30.0, 141.5, 59.5],
                "type": "Code 128",
                "data": "RTJFLTEyOA==",
                "angle": 0.0,
                "vertices": [30.0, 30.0, 141.5, 30.0, 141.5, 59.5, 30.0, 59.5]
            },
            {
                "rect": [360.0, 30.0, 402.0, 72.0],
                "type": "QR Code",
                "data": "RTJFIFFSIDAwNDI=",
                "angle": 0.0,
                "vertices": [360.0, 30.0, 402.0, 30.0, 402.0, 72.0, 360.0, 72.0]
            },
            {
                "rect": [238.0, 130.0, 267.5, 219.5],
                "type": "Code 39",
                "data": "RTJFMzk=",
                "angle": -90.0,
                "vertices": [267.5, 130.0, 267.5, 219.5, 238.0, 219.5, 238.0, 130.0]
            },
            {
                "rect": [46.5, 210.0, 188.5, 284.5],
                "type": "EAN-13",
                "data": "NDAwNjM4MTMzMzkzMQ==",
                "angle": 0.0,
                "vertices": [46.5, 210.0, 188.5, 210.0, 188.5, 284.5, 46.5, 284.5]
            },
            {
                "rect": [390.0, 260.0, 426.0, 296.0],
                "type": "Datamatrix",
                "data": "RTJFIERN",
                "angle": 0.0,
                "vertices": [390.0, 260.0, 426.0, 260.0, 426.0, 296.0, 390.0, 296.0]
            }]
    }
})";

constexpr char kQrOnlyDocument[] = R"({
    "page": {
        "barcodes": [
            {
                "rect": [360.0, 30.0, 402.0, 72.0],
                "type": "QR Code",
                "text": "E2E QR 0042",
                "angle": 0.0,
                "vertices": [360.0, 30.0, 402.0, 30.0, 402.0, 72.0, 360.0, 72.0]
            }]
    }
})";

constexpr char kEmptyDocument[] = "{\n    \"page\": {\n        \"barcodes\": []\n    }\n}";

class ResultDocumentTest : public testing::Test {
 protected:
  void SetUp() override { WriteImage(MixedPage(), dir.File("page.png")); }

  Request MixedPageRequest() const {
    Request r;
    r.width = kPageWidth;
    r.height = kPageHeight;
    r.dpi = 144;
    r.bitmapPath = dir.File("page.png");
    r.resultPath = dir.File("result.json");
    return r;
  }

  // The run succeeded silently; its document.
  static std::string Document(const WorkerRun& run) {
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    return run.result.value_or("(no result file)");
  }

  TempDir dir;
};

TEST_F(ResultDocumentTest, MixedPageWholeDocument) {
  EXPECT_EQ(Document(RunWorker(dir, MixedPageRequest())), kMixedPageDocument);
}

TEST_F(ResultDocumentTest, OutputFormatOneWritesBase64Data) {
  Request r = MixedPageRequest();
  r.outputFormat = 1;
  EXPECT_EQ(Document(RunWorker(dir, r)), kMixedPageBase64Document);
}

TEST_F(ResultDocumentTest, QrCodeGroupAlone) {
  Request r = MixedPageRequest();
  r.searchTypeGroups = 0x10;
  EXPECT_EQ(Document(RunWorker(dir, r)), kQrOnlyDocument);
}

TEST_F(ResultDocumentTest, PageWithoutBarcodesGivesTheEmptyDocument) {
  WriteImage(Gray::White(kPageWidth, kPageHeight), dir.File("page.png"));
  EXPECT_EQ(Document(RunWorker(dir, MixedPageRequest())), kEmptyDocument);
}

TEST_F(ResultDocumentTest, GroupsWithoutSymbolsOnThePageGiveTheEmptyDocument) {
  const struct Case {
    const char* name;
    unsigned long long groups;
  } cases[] = {{"no group", 0}, {"postal and Patch Code", 0x806}, {"Aztec Code", 0x40}};
  for (const Case& c : cases) {
    Request r = MixedPageRequest();
    r.searchTypeGroups = c.groups;
    EXPECT_EQ(Document(RunWorker(dir, r)), kEmptyDocument) << c.name;
  }
}

TEST_F(ResultDocumentTest, SearchedAreaComesFromWidthAndHeight) {
  const struct Case {
    const char* name;
    int width, height;
    Entries found;
  } cases[] = {
      {"left part: no QR Code, no Datamatrix",
       600,
       kPageHeight,
       {{"Code 128", "E2E-128"}, {"Code 39", "E2E39"}, {"EAN-13", "4006381333931"}}},
      {"top part", kPageWidth, 240, {{"Code 128", "E2E-128"}, {"QR Code", "E2E QR 0042"}}},
      {"larger than the page", 5000, 5000, TypesAndTexts(kMixedPageDocument)},
  };
  for (const Case& c : cases) {
    Request r = MixedPageRequest();
    r.width = c.width;
    r.height = c.height;
    EXPECT_EQ(TypesAndTexts(Document(RunWorker(dir, r))), c.found) << c.name;
  }
}

}  // namespace
}  // namespace vexo::e2e
