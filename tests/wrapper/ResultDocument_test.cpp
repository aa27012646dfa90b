#include "wrapper/ResultDocument.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace vexo {
namespace {

struct Barcode {
  UInt32 code = 0x08000301;
  std::string bytes{};
  std::vector<Int32> rect = {0, 0, 0, 0};
  Int32 angle = 0;
  std::vector<Int32> corners = std::vector<Int32>(8, 0);
};

std::string Document(const std::vector<Barcode>& barcodes, Int32 dpi, bool binary = false) {
  ResultDocument document;
  document.Open();
  document.SetBinaryOutput(binary);
  for (const Barcode& b : barcodes) {
    BarcodeResult record;
    std::memset(&record, 0, sizeof record);
    record.code = b.code;
    record.left = b.rect[0], record.top = b.rect[1], record.right = b.rect[2];
    record.bottom = b.rect[3];
    record.dataLength = static_cast<Int32>(b.bytes.size());
    record.data = reinterpret_cast<const UInt8*>(b.bytes.data());
    record.angle = b.angle;
    for (int i = 0; i < 8; ++i) record.corners[i] = b.corners[i];
    document.AddBarcode(record, dpi);
  }
  return document.Close();
}

// The member lines with one of `keys`, in document order, without their
// indentation and trailing comma.
std::vector<std::string> Members(const std::string& document,
                                 std::initializer_list<std::string> keys) {
  std::vector<std::string> found;
  for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
    end = document.find('\n', start);
    std::string line = document.substr(start, end - start);
    line.erase(0, line.find_first_not_of(' '));
    if (line.ends_with(',')) line.pop_back();
    for (const std::string& key : keys) {
      if (line.starts_with('"' + key + "\": ")) found.push_back(line);
    }
  }
  return found;
}

TEST(ResultDocument, OneBarcodeLayoutByteForByte) {
  EXPECT_EQ(Document({{.code = 0x08000301, .bytes = "HELLO", .rect = {72, 144, 216, 288}}}, 144),
            "{\n"
            "    \"page\": {\n"
            "        \"barcodes\": [\n"
            "            {\n"
            "                \"rect\": [36.0, 72.0, 108.0, 144.0],\n"
            "                \"type\": \"QR Code\",\n"
            "                \"text\": \"HELLO\",\n"
            "                \"angle\": 0.0,\n"
            "                \"vertices\": [36.0, 72.0, 108.0, 72.0, 108.0, 144.0, 36.0, 144.0]\n"
            "            }]\n"
            "    }\n"
            "}");
}

TEST(ResultDocument, TwoBarcodesAndNone) {
  const std::string document = Document(
      {{.code = 0x20002000, .bytes = "A", .angle = 9000}, {.code = 0x80040000, .angle = -4550}},
      72);
  EXPECT_NE(document.find("        \"barcodes\": [\n            {\n                \"rect\": [0.0"),
            std::string::npos);
  EXPECT_NE(document.find("0.0]\n            },\n            {\n                \"rect\": ["),
            std::string::npos);
  EXPECT_TRUE(document.ends_with("0.0]\n            }]\n    }\n}"));
  EXPECT_EQ(Members(document, {"type", "text", "angle"}),
            (std::vector<std::string>{R"("type": "PDF417")", R"("text": "A")", R"("angle": 90.0)",
                                      R"("type": "")", R"("text": "")", R"("angle": -45.5)"}));
  EXPECT_EQ(Document({}, 300), "{\n    \"page\": {\n        \"barcodes\": []\n    }\n}");
}

TEST(ResultDocument, TextOrDataSequences) {
  const struct {
    const char* name;
    bool binary;
    std::vector<std::string> contents;
    std::vector<std::string> members;
  } cases[] = {
      {"SwitchStaysOnData",
       false,
       {"ABC", std::string("\0A", 2), "XYZ"},
       {R"("text": "ABC")", R"("data": "AEE=")", R"("data": "WFla")"}},
      {"BinaryFromStart", true, {"ABC", ""}, {R"("data": "QUJD")", R"("data": "")"}},
      {"ControlEscapes",
       false,
       {"a\tb\nc", "\x0B", "\b\f\r ~"},
       {R"("text": "a\tb\nc")", R"("text": "\u000B")", R"("text": "\b\f\r ~")"}},
      {"DeleteIsData", false, {"A\x7F"}, {R"("data": "QX8=")"}},
      {"HighByteIsData", false, {"\x80", "plain"}, {R"("data": "gA==")", R"("data": "cGxhaW4=")"}},
      {"BellIsData", false, {"\x07"}, {R"("data": "Bw==")"}},
      {"EmptyIsText", false, {""}, {R"("text": "")"}}};
  for (const auto& c : cases) {
    std::vector<Barcode> barcodes;
    for (const std::string& bytes : c.contents) barcodes.push_back({.bytes = bytes});
    EXPECT_EQ(Members(Document(barcodes, 72, c.binary), {"text", "data"}), c.members) << c.name;
  }
}

TEST(ResultDocument, PixelsToPointsAndCornerFallback) {
  const struct {
    const char* name;
    Barcode barcode;
    Int32 dpi;
    std::vector<std::string> members;
  } cases[] = {
      {"Dpi72",
       {.rect = {100, 0, 250, 40}, .corners = {1, 2, 3, 4, 5, 6, 7, 8}},
       72,
       {R"("rect": [100.0, 0.0, 250.0, 40.0])",
        R"("vertices": [1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0])"}},
      {"Dpi300DividesFirst",
       {.rect = {1, -3, 300, 7}},
       300,
       {R"("rect": [0.24000000000000002, -0.72, 72.0, 1.6800000000000002])",
        R"("vertices": [0.24000000000000002, -0.72, 72.0, -0.72, 72.0, 1.6800000000000002, )"
        R"(0.24000000000000002, 1.6800000000000002])"}},
      {"OnlyX1Set",
       {.rect = {10, 20, 30, 40}, .corners = {5, 0, 0, 0, 0, 0, 0, 0}},
       72,
       {R"("rect": [10.0, 20.0, 30.0, 40.0])",
        R"("vertices": [5.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0])"}},
      {"OnlyY4Set",
       {.rect = {10, 20, 30, 40}, .corners = {0, 0, 0, 0, 0, 0, 0, -9}},
       144,
       {R"("rect": [5.0, 10.0, 15.0, 20.0])",
        R"("vertices": [0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, -4.5])"}}};
  for (const auto& c : cases) {
    EXPECT_EQ(Members(Document({c.barcode}, c.dpi), {"rect", "vertices"}), c.members) << c.name;
  }
}

}  // namespace
}  // namespace vexo
