// velmora-annotate: the marks read from result documents, the picture of the
// bundled example page, and the one-line failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/annotate/ResultMarks.h"
#include "tests/app/TestSupport.h"

namespace vexo::test {
namespace {

// One barcode of a result document: "type", then "text" or "data", then the
// vertices in points.
std::string Document(const std::string& barcodes) {
  return "{\"page\": {\"barcodes\": [" + barcodes + "]}}";
}

struct MarksCase {
  std::string name;
  std::string document;
  int dpi;
  std::vector<double> firstCorners;  // pixels, empty when no mark is expected
  std::string firstLabel;
  std::size_t count;
};

const MarksCase kMarksCases[] = {
    {"NothingFound", Document(""), 150, {}, "", 0},
    {"PointsBecomePixels",
     Document(
         R"({"type": "QR Code", "text": "HI", "vertices": [72, 36, 144, 36, 144, 108, 72, 108]})"),
     300,
     {300, 150, 600, 150, 600, 450, 300, 450},
     "QR Code: HI",
     1},
    {"LongTextIsCut",
     Document(
         R"({"type": "Code 128", "text": "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "vertices": [0, 0, 1, 0, 1, 1, 0, 1]})"),
     72,
     {0, 0, 1, 0, 1, 1, 0, 1},
     "Code 128: ABCDEFGHIJKLMNOPQRSTUVWX...",
     1},
    {"DataShownAsBase64",
     Document(R"({"type": "Datamatrix", "data": "AEE=", "vertices": [0, 0, 1, 0, 1, 1, 0, 1]})"),
     72,
     {0, 0, 1, 0, 1, 1, 0, 1},
     "Datamatrix: base64 AEE=",
     1},
    {"TwoBarcodes",
     Document(R"({"type": "", "text": "", "vertices": [1, 2, 3, 4, 5, 6, 7, 8]}, )"
              R"({"type": "PDF417", "text": "x", "vertices": [0, 0, 0, 0, 0, 0, 0, 0]})"),
     144,
     {2, 4, 6, 8, 10, 12, 14, 16},
     "",
     2},
};

class Marks : public testing::TestWithParam<MarksCase> {};

TEST_P(Marks, AreTheDocumentsCornersInPixels) {
  const MarksCase& c = GetParam();
  const std::vector<engine::PageMark> marks = ReadResultMarks(c.document, c.dpi, "r.json");
  ASSERT_EQ(marks.size(), c.count);
  if (c.firstCorners.empty()) return;
  for (std::size_t i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(marks[0].corners[i], c.firstCorners[i]);
  EXPECT_EQ(marks[0].label, c.firstLabel);
}

INSTANTIATE_TEST_SUITE_P(Documents, Marks, testing::ValuesIn(kMarksCases), CaseName());

struct MalformedCase {
  std::string name;
  std::string document;
};

const MalformedCase kMalformedCases[] = {
    {"NoJson", "not json"},
    {"Array", "[]"},
    {"NoPage", R"({"barcodes": []})"},
    {"BarcodesNoArray", R"({"page": {"barcodes": {}}})"},
    {"SevenVertices", Document(R"({"vertices": [0, 0, 1, 0, 1, 1, 0]})")},
    {"VertexAString", Document(R"({"vertices": [0, 0, 1, 0, 1, 1, 0, "1"]})")},
    {"NoVertices", Document(R"({"type": "QR Code", "text": "x"})")},
};

class Malformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(Malformed, NamesTheDocument) {
  try {
    ReadResultMarks(GetParam().document, 72, "/r.json");
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Malformed result document \"/r.json\"");
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, Malformed, testing::ValuesIn(kMalformedCases), CaseName());

// The example page as tools/make-example-page.sh draws it: each symbol's box
// in pixels (bars and modules, without human-readable digits), and a point
// the tick at its first corner passes through.
struct Symbol {
  const char* type;
  int left, top, right, bottom;
  int tickX, tickY;
};
constexpr int kTolerance = 8;
constexpr Symbol kExampleSymbols[] = {
    {"QR Code", 120, 140, 370, 390, 120, 140 - 2 * kTolerance},
    {"Code 128", 1024, 160, 1144, 793, 1144 + 2 * kTolerance, 160},  // turned clockwise
    {"EAN-13", 164, 700, 544, 899, 164, 700 - 2 * kTolerance},
    {"Datamatrix", 700, 760, 960, 880, 960, 880 + 2 * kTolerance},  // upside down
    {"PDF417", 120, 1300, 600, 1420, 120, 1300 - 2 * kTolerance},
};
constexpr int kPageWidth = 1240;
constexpr int kPageHeight = 1754;

// The picture's outline pixels: red, as PageDrawing draws them.
class Picture {
 public:
  explicit Picture(const std::string& png) {
    const std::string raw = png + ".rgb";
    const std::string command = "convert '" + png + "' -depth 8 rgb:'" + raw + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error(command);
    rgb_ = ReadBytes(raw);
    if (rgb_.size() != 3u * kPageWidth * kPageHeight) throw std::runtime_error("picture size");
  }
  bool Outline(int x, int y) const {
    const std::size_t at = 3 * (static_cast<std::size_t>(y) * kPageWidth + x);
    const auto r = static_cast<unsigned char>(rgb_[at]);
    const auto g = static_cast<unsigned char>(rgb_[at + 1]);
    const auto b = static_cast<unsigned char>(rgb_[at + 2]);
    return r > 180 && g < 80 && b < 80;
  }
  // Whether an outline pixel lies within kTolerance of (x, y).
  bool OutlineNear(int x, int y) const {
    for (int dy = -kTolerance; dy <= kTolerance; ++dy) {
      for (int dx = -kTolerance; dx <= kTolerance; ++dx) {
        if (Outline(x + dx, y + dy)) return true;
      }
    }
    return false;
  }

 private:
  std::string rgb_;
};

class ExamplePage : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    std::string request = ReadBytes(VELMORA_SOURCE_DIR "/examples/request.json.in");
    const auto replace = [&](const std::string& key, const std::string& value) {
      request.replace(request.find(key), key.size(), value);
    };
    replace("@EXAMPLES@", VELMORA_SOURCE_DIR "/examples");
    replace("@OUT@", dir_->File("result.json"));
    WriteBytes(dir_->File("request.json"), request);
    ASSERT_EQ(RunProcess(VELMORA_BINARY, {dir_->File("request.json")}).exitCode, 0);
    const ProcessResult annotate =
        RunProcess(VELMORA_ANNOTATE, {dir_->File("request.json"), dir_->File("page.png")});
    ASSERT_EQ(annotate.exitCode, 0) << annotate.output;
    EXPECT_EQ(annotate.output, "");
    picture_ = new Picture(dir_->File("page.png"));
  }
  static void TearDownTestSuite() {
    delete picture_;
    delete dir_;
  }
  static TempDir* dir_;
  static Picture* picture_;
};
TempDir* ExamplePage::dir_ = nullptr;
Picture* ExamplePage::picture_ = nullptr;

TEST_F(ExamplePage, OutlinesRunAlongEverySymbolAndNeverAcrossIt) {
  ASSERT_NE(picture_, nullptr);
  for (const Symbol& s : kExampleSymbols) {
    int along = 0;
    int samples = 0;
    for (int x = s.left; x <= s.right; x += 4) {
      along += picture_->OutlineNear(x, s.top) + picture_->OutlineNear(x, s.bottom);
      samples += 2;
    }
    for (int y = s.top; y <= s.bottom; y += 4) {
      along += picture_->OutlineNear(s.left, y) + picture_->OutlineNear(s.right, y);
      samples += 2;
    }
    EXPECT_EQ(along, samples) << s.type;
    int inside = 0;
    for (int y = s.top + kTolerance; y < s.bottom - kTolerance; ++y) {
      for (int x = s.left + kTolerance; x < s.right - kTolerance; ++x)
        inside += picture_->Outline(x, y);
    }
    EXPECT_EQ(inside, 0) << s.type;
    EXPECT_TRUE(picture_->OutlineNear(s.tickX, s.tickY)) << s.type;
  }
}

TEST_F(ExamplePage, EveryOutlinePixelBelongsToASymbol) {
  ASSERT_NE(picture_, nullptr);
  int stray = 0;
  for (int y = 0; y < kPageHeight; ++y) {
    for (int x = 0; x < kPageWidth; ++x) {
      if (!picture_->Outline(x, y)) continue;
      bool near = false;
      for (const Symbol& s : kExampleSymbols) {
        const bool inBand = x >= s.left - kTolerance && x <= s.right + kTolerance &&
                            y >= s.top - kTolerance && y <= s.bottom + kTolerance;
        // The tick: a quarter of the longer side from the first corner.
        const double reach = std::max(s.right - s.left, s.bottom - s.top) / 4.0 + kTolerance;
        const bool onTick = std::hypot(x - s.tickX, y - s.tickY) <= reach;
        near = near || inBand || onTick;
      }
      stray += !near;
    }
  }
  EXPECT_EQ(stray, 0);
}

struct FailureCase {
  std::string name;
  std::vector<std::string> arguments;  // "@" stands for the scratch folder
  std::string report;                  // after the identity prefix and ", ERROR: "
};

const FailureCase kFailureCases[] = {
    {"MissingRequest",
     {"@/none.json", "@/out.png"},
     "Cannot open input file \"@/none.json\": No such file or directory"},
    {"RequestNotJson", {"@/blank.pgm", "@/out.png"}, "Malformed input JSON \"@/blank.pgm\""},
    {"ImageNoImage",
     {"@/result.json", "@/result.json", "@/out.png", "72"},
     "Could not read the image: The image data is not in a format the engine can decode."},
    {"ImageWithoutResolution",
     {"@/blank.pgm", "@/result.json", "@/out.png"},
     "The image gives no resolution; pass DPI: \"@/blank.pgm\""},
    {"DpiNoNumber",
     {"@/blank.pgm", "@/result.json", "@/out.png", "3OO"},
     "DPI must be a whole number from 1 to 100000: \"3OO\""},
    {"DpiZero",
     {"@/blank.pgm", "@/result.json", "@/out.png", "0"},
     "DPI must be a whole number from 1 to 100000: \"0\""},
    {"ResultMalformed",
     {"@/blank.pgm", "@/blank.pgm", "@/out.png", "72"},
     "Malformed result document \"@/blank.pgm\""},
    {"OutputInMissingFolder",
     {"@/blank.pgm", "@/result.json", "@/no/out.png", "72"},
     "Cannot open output file \"@/no/out.png\": No such file or directory"},
};

class Failure : public testing::TestWithParam<FailureCase> {};

std::string InFolder(std::string text, const std::string& folder) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
    text.replace(at, 1, folder);
    at += folder.size();
  }
  return text;
}

TEST_P(Failure, PrintsOneLineAndWritesNothing) {
  const TempDir dir;
  const std::string folder = dir.Path().string();
  WriteBytes(dir.File("blank.pgm"), BlankPgm());
  WriteBytes(dir.File("result.json"), Document(""));
  std::vector<std::string> arguments;
  for (const std::string& a : GetParam().arguments) arguments.push_back(InFolder(a, folder));
  const ProcessResult run = RunProcess(VELMORA_ANNOTATE, arguments);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, Prefix() + ", ERROR: " + InFolder(GetParam().report, folder) + "\n");
  EXPECT_FALSE(Exists(dir.File("out.png")));
}

INSTANTIATE_TEST_SUITE_P(Runs, Failure, testing::ValuesIn(kFailureCases), CaseName());

TEST(Usage, WrongArgumentCountsPrintTheUsageLine) {
  const std::string usage =
      "Usage: velmora-annotate REQUEST.json OUT.png | velmora-annotate IMAGE RESULT.json OUT.png "
      "[DPI]\n";
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"a"}, {"a", "b", "c", "d", "e"}}) {
    const ProcessResult run = RunProcess(VELMORA_ANNOTATE, arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, usage);
  }
}

}  // namespace
}  // namespace vexo::test
