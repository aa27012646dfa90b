#include "wrapper/ResultDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  for (const Barcode& barcode : barcodes) {
    BarcodeResult record;
    std::memset(&record, 0, sizeof record);
    record.code = barcode.code;
    record.left = barcode.rect[0];
    record.top = barcode.rect[1];
    record.right = barcode.rect[2];
    record.bottom = barcode.rect[3];
    record.dataLength = static_cast<Int32>(barcode.bytes.size());
    record.data = reinterpret_cast<const UInt8*>(barcode.bytes.data());
    record.angle = barcode.angle;
    for (int i = 0; i < 8; ++i) record.corners[i] = barcode.corners[i];
    document.AddBarcode(record, dpi);
  }
  return document.Close();
}

// The member lines with one of `keys`, in document order, without their
// indentation and trailing comma.
std::vector<std::string> Members(const std::string& document,
                                 std::initializer_list<const char*> keys) {
  std::vector<std::string> found;
  std::size_t start = 0;
  while (start <= document.size()) {
    const std::size_t end = std::min(document.find('\n', start), document.size());
    std::string line = document.substr(start, end - start);
    start = end + 1;
    line.erase(0, line.find_first_not_of(' '));
    if (!line.empty() && line.back() == ',') line.pop_back();
    for (const char* key : keys) {
      std::string prefix = "\"";
      prefix.append(key).append("\": ");
      if (line.starts_with(prefix)) found.push_back(line);
    }
  }
  return found;
}

TEST(ResultDocument, OneBarcodeLayoutByteForByte) {
  const Barcode hello{.code = 0x08000301, .bytes = "HELLO", .rect = {72, 144, 216, 288}};
  EXPECT_EQ(Document({hello}, 144),
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
  const Barcode first{.code = 0x20002000, .bytes = "A", .rect = {1, 2, 3, 4}, .angle = 9000};
  const Barcode second{.code = 0x21000000, .bytes = "", .rect = {5, 6, 7, 8}, .angle = -4550};
  EXPECT_EQ(Document({first, second}, 72),
            "{\n"
            "    \"page\": {\n"
            "        \"barcodes\": [\n"
            "            {\n"
            "                \"rect\": [1.0, 2.0, 3.0, 4.0],\n"
            "                \"type\": \"PDF417\",\n"
            "                \"text\": \"A\",\n"
            "                \"angle\": 90.0,\n"
            "                \"vertices\": [1.0, 2.0, 3.0, 2.0, 3.0, 4.0, 1.0, 4.0]\n"
            "            },\n"
            "            {\n"
            "                \"rect\": [5.0, 6.0, 7.0, 8.0],\n"
            "                \"type\": \"Aztec Code\",\n"
            "                \"text\": \"\",\n"
            "                \"angle\": -45.5,\n"
            "                \"vertices\": [5.0, 6.0, 7.0, 6.0, 7.0, 8.0, 5.0, 8.0]\n"
            "            }]\n"
            "    }\n"
            "}");
  EXPECT_EQ(Document({}, 300),
            "{\n    \"page\": {\n        \"barcodes\": []\n    }\n}");
}

struct ContentCase {
  const char* name;
  bool binary;
  std::vector<std::string> contents;
  std::vector<std::string> members;  // "text"/"data" lines in order
};

class ContentRuleTest : public ::testing::TestWithParam<ContentCase> {};

TEST_P(ContentRuleTest, ChoosesTextOrData) {
  std::vector<Barcode> barcodes;
  for (const std::string& bytes : GetParam().contents) barcodes.push_back({.bytes = bytes});
  const std::string document = Document(barcodes, 72, GetParam().binary);
  EXPECT_EQ(Members(document, {"text", "data"}), GetParam().members);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ContentRuleTest,
    ::testing::Values(
        ContentCase{"SwitchStaysOnData",
                    false,
                    {"ABC", std::string("\0A", 2), "XYZ"},
                    {R"("text": "ABC")", R"("data": "AEE=")", R"("data": "WFla")"}},
        ContentCase{"BinaryFromStart", true, {"ABC", ""}, {R"("data": "QUJD")", R"("data": "")"}},
        ContentCase{"ControlEscapes",
                    false,
                    {"a\tb\nc", "\x0B", "\b\f\r ~"},
                    {R"("text": "a\tb\nc")", R"("text": "\u000B")", R"("text": "\b\f\r ~")"}},
        ContentCase{"DeleteIsData", false, {"A\x7F"}, {R"("data": "QX8=")"}},
        ContentCase{"HighByteIsData", false, {"\x80", "plain"}, {R"("data": "gA==")", R"("data": "cGxhaW4=")"}},
        ContentCase{"LowControlIsData", false, {"\x07"}, {R"("data": "Bw==")"}},
        ContentCase{"EmptyIsText", false, {""}, {R"("text": "")"}}),
    [](const auto& param) { return std::string(param.param.name); });

struct GeometryCase {
  const char* name;
  Barcode barcode;
  Int32 dpi;
  const char* rect;
  const char* vertices;
};

class GeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(GeometryTest, ConvertsPixelsToPoints) {
  const std::string document = Document({GetParam().barcode}, GetParam().dpi);
  EXPECT_EQ(Members(document, {"rect"}), std::vector<std::string>{GetParam().rect});
  EXPECT_EQ(Members(document, {"vertices"}), std::vector<std::string>{GetParam().vertices});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeometryTest,
    ::testing::Values(
        GeometryCase{"Dpi72KeepsPixels", {.rect = {100, 0, 250, 40}, .corners = {1, 2, 3, 4, 5, 6, 7, 8}}, 72,
                     R"("rect": [100.0, 0.0, 250.0, 40.0])",
                     R"("vertices": [1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0])"},
        GeometryCase{"Dpi300DividesFirst", {.rect = {1, -3, 300, 7}}, 300,
                     R"("rect": [0.24000000000000002, -0.72, 72.0, 1.6800000000000002])",
                     R"("vertices": [0.24000000000000002, -0.72, 72.0, -0.72, 72.0, 1.6800000000000002, 0.24000000000000002, 1.6800000000000002])"},
        GeometryCase{"OnlyX1SetIsKept", {.rect = {10, 20, 30, 40}, .corners = {5, 0, 0, 0, 0, 0, 0, 0}}, 72,
                     R"("rect": [10.0, 20.0, 30.0, 40.0])",
                     R"("vertices": [5.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0])"},
        GeometryCase{"OnlyY4SetIsKept", {.rect = {10, 20, 30, 40}, .corners = {0, 0, 0, 0, 0, 0, 0, -9}}, 144,
                     R"("rect": [5.0, 10.0, 15.0, 20.0])",
                     R"("vertices": [0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, -4.5])"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ResultDocument, UnknownCodeHasEmptyType) {
  EXPECT_EQ(Members(Document({{.code = 0x80040000}}, 72), {"type"}),
            std::vector<std::string>{R"("type": "")"});
}

}  // namespace
}  // namespace vexo
