#include "wrapper/ResultDocument.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "Common/UStringImpl.h"
#include "wrapper/Base64.h"
#include "wrapper/JsonText.h"
#include "wrapper/SymbologyNames.h"

namespace vexo {
namespace {

// Indentation of a barcode object's braces and of its members.
constexpr std::string_view kBarcodeIndent = "            ";
constexpr std::string_view kMemberIndent = "                ";
constexpr double kPointsPerInch = 72.0;
constexpr double kAngleScale = 100.0;

// Backspace, tab, line feed, vertical tab, form feed, carriage return and the
// printable ASCII range.
bool IsTextByte(UInt8 byte) { return (byte >= 8 && byte <= 13) || (byte >= 32 && byte <= 126); }

bool AllTextBytes(const UInt8* bytes, Int32 length) {
  for (Int32 i = 0; i < length; ++i) {
    if (!IsTextByte(bytes[i])) return false;
  }
  return true;
}

// Divide first, then scale: the order shows in the last digit.
double ToPoints(Int32 pixels, double dpi) {
  return static_cast<double>(pixels) / dpi * kPointsPerInch;
}

}  // namespace

void ResultDocument::Open() {
  text += "{\n    ";
  AppendKey("page");
  text += "{\n        ";
  AppendKey("barcodes");
  text += "[";
}

void ResultDocument::AddBarcode(const BarcodeResult& record, Int32 dpi) {
  text += hasBarcode ? ",\n" : "\n";
  hasBarcode = true;
  text += kBarcodeIndent;
  text += "{\n";

  const double dpiValue = static_cast<double>(dpi);
  const double rect[4] = {ToPoints(record.left, dpiValue), ToPoints(record.top, dpiValue),
                          ToPoints(record.right, dpiValue), ToPoints(record.bottom, dpiValue)};
  text += kMemberIndent;
  AppendKey("rect");
  AppendNumbers(rect, 4);
  text += ",\n";

  const std::string typeName = GetBarcodeTypeName(record.code);
  text += kMemberIndent;
  AppendKey("type");
  AppendJsonString(text, typeName.data(), typeName.size());
  text += ",\n";

  // A negative length or a null pointer counts as no bytes.
  const UInt8* bytes = record.data;
  const Int32 length = bytes != nullptr && record.dataLength > 0 ? record.dataLength : 0;
  if (!binaryOutput && !AllTextBytes(bytes, length)) binaryOutput = true;
  text += kMemberIndent;
  if (binaryOutput) {
    AppendKey("data");
    const std::string encoded = EncodeBase64(bytes, static_cast<std::size_t>(length));
    AppendJsonString(text, encoded.data(), encoded.size());
  } else {
    AppendKey("text");
    std::string utf8;
    if (length > 0) {
      const UString content(reinterpret_cast<const char*>(bytes), length,
                            UStringEncoding::Windows1252);
      ConvertToUTF8(content, utf8);
    }
    AppendJsonString(text, utf8.data(), utf8.size());
  }
  text += ",\n";

  text += kMemberIndent;
  AppendKey("angle");
  AppendJsonDouble(text, static_cast<double>(record.angle) / kAngleScale);
  text += ",\n";

  bool anyCorner = false;
  for (int i = 0; i < 8; ++i) anyCorner = anyCorner || record.corners[i] != 0;
  // Without corner points, the rectangle's corners clockwise from top-left.
  const Int32 rectCorners[8] = {record.left,  record.top,    record.right, record.top,
                                record.right, record.bottom, record.left,  record.bottom};
  double vertices[8];
  for (int i = 0; i < 8; ++i) {
    vertices[i] = ToPoints(anyCorner ? record.corners[i] : rectCorners[i], dpiValue);
  }
  text += kMemberIndent;
  AppendKey("vertices");
  AppendNumbers(vertices, 8);
  text += "\n";
  text += kBarcodeIndent;
  text += "}";
}

std::string ResultDocument::Close() {
  text += "]\n    }\n}";
  return std::move(text);
}

void ResultDocument::AppendKey(const char* key) {
  AppendJsonString(text, key, std::strlen(key));
  text += ": ";
}

void ResultDocument::AppendNumbers(const double* values, int count) {
  text += "[";
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ", ";
    AppendJsonDouble(text, values[i]);
  }
  text += "]";
}

}  // namespace vexo
