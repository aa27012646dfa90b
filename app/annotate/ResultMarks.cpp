#include "app/annotate/ResultMarks.h"

#include <rapidjson/document.h>

#include <stdexcept>

#include "app/Messages.h"
#include "app/annotate/AnnotateMessages.h"

namespace vexo {
namespace {

constexpr double kPointsPerInch = 72.0;

const rapidjson::Value* Member(const rapidjson::Value& object, const char* name) {
  if (!object.IsObject()) return nullptr;
  const auto found = object.FindMember(name);
  return found == object.MemberEnd() ? nullptr : &found->value;
}

std::string Label(const rapidjson::Value& barcode) {
  const rapidjson::Value* type = Member(barcode, "type");
  std::string label = type != nullptr && type->IsString() ? type->GetString() : "";
  const rapidjson::Value* content = Member(barcode, "text");
  const char* marker = ": ";
  if (content == nullptr) {
    content = Member(barcode, "data");
    marker = ": base64 ";
  }
  if (content == nullptr || !content->IsString() || content->GetStringLength() == 0) return label;
  std::string_view text(content->GetString(), content->GetStringLength());
  label += marker;
  if (text.size() > msg::kLabelContentLength) {
    label.append(text.substr(0, msg::kLabelContentLength));
    label += "...";
  } else {
    label.append(text);
  }
  return label;
}

}  // namespace

std::vector<engine::PageMark> ReadResultMarks(std::string_view document, int dpi,
                                              const std::string& shownPath) {
  const auto malformed = [&] {
    return std::runtime_error(msg::kMalformedResult + shownPath + msg::kQuote);
  };
  rapidjson::Document root;
  root.Parse<rapidjson::kParseIterativeFlag>(document.data(), document.size());
  if (root.HasParseError() || !root.IsObject()) throw malformed();
  const rapidjson::Value* page = Member(root, "page");
  const rapidjson::Value* barcodes = page != nullptr ? Member(*page, "barcodes") : nullptr;
  if (barcodes == nullptr || !barcodes->IsArray()) throw malformed();

  const double scale = static_cast<double>(dpi) / kPointsPerInch;
  std::vector<engine::PageMark> marks;
  for (const rapidjson::Value& barcode : barcodes->GetArray()) {
    const rapidjson::Value* vertices = Member(barcode, "vertices");
    if (vertices == nullptr || !vertices->IsArray() || vertices->Size() != 8) throw malformed();
    engine::PageMark mark;
    for (rapidjson::SizeType i = 0; i < 8; ++i) {
      const rapidjson::Value& v = (*vertices)[i];
      if (!v.IsNumber()) throw malformed();
      mark.corners[i] = v.GetDouble() * scale;
    }
    mark.label = Label(barcode);
    marks.push_back(std::move(mark));
  }
  return marks;
}

}  // namespace vexo
