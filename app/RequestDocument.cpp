#include "app/RequestDocument.h"

#include <cstring>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Common/StackBackedStorage.h"
#include "app/FileAccess.h"
#include "app/MessageText.h"
#include "app/Messages.h"

namespace vexo {
namespace {

// Default grammar (strict UTF-8 JSON, strings copied into the document), but
// parsed without recursion: a deeply nested request must not exhaust the stack.
constexpr unsigned kParseFlags = rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag;

[[noreturn]] void ThrowMemberError(const char* name, const char* suffix) {
  std::string message = msg::kMemberPrefix;
  message += name;
  message += suffix;
  throw std::runtime_error(message);
}

// The first member whose name has exactly the key's bytes, or null.
const rapidjson::Value* FindFirstMember(const rapidjson::Value& object, const char* name) {
  const std::size_t length = std::strlen(name);
  for (auto member = object.MemberBegin(); member != object.MemberEnd(); ++member) {
    const rapidjson::Value& key = member->name;
    if (key.GetStringLength() == length && std::memcmp(key.GetString(), name, length) == 0) {
      return &member->value;
    }
  }
  return nullptr;
}

// The member, or null when an optional one is absent; a required one throws.
const rapidjson::Value* FindMember(const rapidjson::Value& object, const char* name,
                                   bool optional) {
  const rapidjson::Value* value = FindFirstMember(object, name);
  if (value == nullptr && !optional) ThrowMemberError(name, msg::kEntryMissing);
  return value;
}

}  // namespace

bool GetPositiveInt(const rapidjson::Value& object, const char* name, Int32& out, bool optional) {
  const rapidjson::Value* value = FindMember(object, name, optional);
  if (value == nullptr) return false;
  if (!value->IsInt()) ThrowMemberError(name, msg::kWrongType);
  if (value->GetInt() <= 0) ThrowMemberError(name, msg::kNotPositive);
  out = value->GetInt();
  return true;
}

bool GetUInt(const rapidjson::Value& object, const char* name, UInt32& out) {
  const rapidjson::Value* value = FindMember(object, name, true);
  if (value == nullptr) return false;
  if (!value->IsUint()) ThrowMemberError(name, msg::kWrongType);
  out = value->GetUint();
  return true;
}

bool GetString(const rapidjson::Value& object, const char* name, std::string_view& out,
               bool optional) {
  const rapidjson::Value* value = FindMember(object, name, optional);
  if (value == nullptr) return false;
  if (!value->IsString()) ThrowMemberError(name, msg::kWrongType);
  const rapidjson::SizeType length = value->GetStringLength();
  out = length == 0 ? std::string_view() : std::string_view(value->GetString(), length);
  return true;
}

bool GetPositiveDouble(const rapidjson::Value& object, const char* name, double& out) {
  std::string_view view;
  GetString(object, name, view, false);
  // The whole text must be one number in the classic notation: leading white
  // space is skipped, anything after the number (white space too) is a fault.
  std::istringstream stream{std::string(view)};
  stream.imbue(std::locale::classic());
  double value = 0.0;
  stream >> value;
  if (stream.fail() || !stream.eof()) ThrowMemberError(name, msg::kWrongFormat);
  if (value <= 0.0) ThrowMemberError(name, msg::kNotPositive);
  out = value;
  return true;
}

bool GetUTF16String(const rapidjson::Value& object, const char* name, WideString& out) {
  std::string_view view;
  GetString(object, name, view, false);
  const char* bytes = view.data() != nullptr ? view.data() : "";
  const UString text(bytes, static_cast<Int32>(view.size()), UStringEncoding::UTF8);
  if (text.Body().find(u'\0') != WideString::npos) ThrowMemberError(name, msg::kWrongFormat);
  out = text.Body();
  return true;
}

void ParseRequest(BarcodeRequest& request, const FilePath& path) {
  rapidjson::Document document;
  {
    std::vector<char> bytes;
    ReadWholeFile(path, bytes, kMaxRequestFileSize);
    // A zero-filled copy: the text ends at its first zero byte, and the
    // parser's 16-byte white-space scan stays inside the buffer.
    Common::StackBackedStorage<256> text;
    const auto length = static_cast<UInt32>(bytes.size());
    text.Resize(text.size, text.size + length + 1);
    if (length != 0) std::memcpy(text.Data() + text.size, bytes.data(), length);
    text.size += length;
    document.Parse<kParseFlags>(reinterpret_cast<const char*>(text.Data()));
  }
  if (document.HasParseError() || !document.IsObject()) {
    throw std::runtime_error(msg::kMalformedJson + EscapeControls(path.Shown()) + msg::kQuote);
  }
  const rapidjson::Value& root = document;

  if (!GetUInt(root, msg::kKeySearchTypeGroups, request.searchTypeGroups)) {
    request.searchTypeGroups = 0xFFFFFFFFu;
  }
  if (!GetUInt(root, msg::kKeySearchDirections, request.searchDirections)) {
    request.searchDirections = 0xFFFFFFFFu;
  }
  if (!GetPositiveInt(root, msg::kKeyProfile, request.profile, true)) request.profile = 1;
  if (!GetUInt(root, msg::kKeyOutputFormat, request.outputFormat)) request.outputFormat = 0;
  GetPositiveInt(root, msg::kKeyWidth, request.width, false);
  GetPositiveInt(root, msg::kKeyHeight, request.height, false);
  GetPositiveInt(root, msg::kKeyStride, request.stride, false);
  GetPositiveInt(root, msg::kKeyDpi, request.dpi, false);
  GetPositiveDouble(root, msg::kKeyScalarW, request.scalarW);
  GetPositiveDouble(root, msg::kKeyScalarH, request.scalarH);
  {
    WideString bitmapPath;
    GetUTF16String(root, msg::kKeyBitmapPath, bitmapPath);
    ReadWholeFile(bitmapPath, request.bitmapData, kMaxBitmapFileSize);
  }
  GetUTF16String(root, msg::kKeyResultPath, request.resultPath);
}

}  // namespace vexo
