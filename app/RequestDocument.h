#pragma once
// The request document: a JSON object whose members fill one BarcodeRequest.
// Every fault throws std::runtime_error with a one-line text that names the
// member (or, for a text that does not parse, the request file).

#include <rapidjson/document.h>

#include <string_view>

#include "Common/Types.h"
#include "Common/UStringImpl.h"
#include "app/FilePath.h"
#include "wrapper/BarcodeRequest.h"

namespace vexo {

// Reads the request file and the bitmap file it names into `request`.
void ParseRequest(BarcodeRequest& request, const FilePath& path);

// Typed member getters over the root object. Each looks `name` up (the first
// member with exactly these bytes), checks its type and stores it in `out`.
// An absent optional member returns false and leaves `out` alone; every other
// fault throws.

// An integer in the signed 32-bit range, 1 or more.
bool GetPositiveInt(const rapidjson::Value& object, const char* name, Int32& out, bool optional);
// An integer in the unsigned 32-bit range; always optional.
bool GetUInt(const rapidjson::Value& object, const char* name, UInt32& out);
// A view of a string's bytes in the document (null data when empty), valid as
// long as the document.
bool GetString(const rapidjson::Value& object, const char* name, std::string_view& out,
               bool optional);
// A string holding one decimal number, greater than 0; required.
bool GetPositiveDouble(const rapidjson::Value& object, const char* name, double& out);
// A UTF-8 string as UTF-16; required. A path cannot hold a zero character
// (the system would cut it there and open another file), so one that does
// has the wrong format.
bool GetUTF16String(const rapidjson::Value& object, const char* name, WideString& out);

}  // namespace vexo
