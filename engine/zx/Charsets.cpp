#include "engine/zx/Charsets.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>

namespace vexo::engine {
namespace {

struct EciRow {
  Int32 eci;
  std::array<const char*, 2> charsets;  // iconv names, most likely first; the rest null
};
// The character sets of the ECI assignments (ISO 8859 parts, Windows code
// pages, the East Asian multi-byte sets and the Unicode forms). 14 and 19 are
// unassigned; 0-2 are the old code page 437 / Latin-1 pair, 170 the invariant
// ASCII subset and 899 binary data, which give the raw bytes.
constexpr std::array<EciRow, 31> kEciRows{{
    {3, {"ISO-8859-1", nullptr}},   {4, {"ISO-8859-2", nullptr}},   {5, {"ISO-8859-3", nullptr}},
    {6, {"ISO-8859-4", nullptr}},   {7, {"ISO-8859-5", nullptr}},   {8, {"ISO-8859-6", nullptr}},
    {9, {"ISO-8859-7", nullptr}},   {10, {"ISO-8859-8", nullptr}},  {11, {"ISO-8859-9", nullptr}},
    {12, {"ISO-8859-10", nullptr}}, {13, {"ISO-8859-11", nullptr}}, {15, {"ISO-8859-13", nullptr}},
    {16, {"ISO-8859-14", nullptr}}, {17, {"ISO-8859-15", nullptr}}, {18, {"ISO-8859-16", nullptr}},
    {20, {"SHIFT_JIS", "CP932"}},   {21, {"CP1250", nullptr}},      {22, {"CP1251", nullptr}},
    {23, {"CP1252", nullptr}},      {24, {"CP1256", nullptr}},      {25, {"UTF-16BE", nullptr}},
    {26, {"UTF-8", nullptr}},       {27, {"ASCII", nullptr}},       {28, {"BIG5", "CP950"}},
    {29, {"GB18030", nullptr}},     {30, {"EUC-KR", "CP949"}},      {31, {"GB18030", nullptr}},
    {32, {"GB18030", nullptr}},     {33, {"UTF-16LE", nullptr}},    {34, {"UTF-32BE", nullptr}},
    {35, {"UTF-32LE", nullptr}},
}};

// The C library's Shift_JIS reads 0x5C and 0x7E as the yen sign and the
// overline of JIS X 0201; writers of these symbols mean the ASCII backslash
// and tilde there, as the double-byte set has its own yen and overline.
struct Replacement {
  std::string_view from;
  char to;
};
constexpr std::array<Replacement, 2> kShiftJisAscii{{{"\xC2\xA5", '\\'}, {"\xE2\x80\xBE", '~'}}};
constexpr std::string_view kShiftJis = "SHIFT_JIS";

struct IconvCloser {
  void operator()(void* cd) const { ::iconv_close(static_cast<iconv_t>(cd)); }
};

std::optional<std::string> Convert(std::string_view in, const char* to, const char* from) {
  const iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  const std::unique_ptr<void, IconvCloser> guard(cd);
  // Four output bytes per input byte hold every conversion made here; a
  // longer output grows the buffer.
  std::string out(in.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  std::size_t done = 0;
  bool flushing = false;  // after the input, the shift state of stateful encodings
  for (;;) {
    char* outPtr = out.data() + done;
    std::size_t outLeft = out.size() - done;
    const std::size_t result = flushing ? ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                        : ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    done = out.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) {
      if (flushing) break;
      flushing = true;
      continue;
    }
    if (errno != E2BIG) return std::nullopt;  // invalid or incomplete input
    out.resize(out.size() * 2);
  }
  out.resize(done);
  return out;
}

}  // namespace

std::vector<const char*> CharsetsOfEci(Int32 eci) {
  std::vector<const char*> names;
  for (const EciRow& row : kEciRows) {
    if (row.eci != eci) continue;
    for (const char* name : row.charsets) {
      if (name != nullptr) names.push_back(name);
    }
  }
  return names;
}

std::optional<std::string> DecodeToUtf8(std::string_view bytes, const char* charset) {
  std::optional<std::string> text = Convert(bytes, "UTF-8", charset);
  if (!text || charset != kShiftJis) return text;
  for (const Replacement& r : kShiftJisAscii) {
    for (std::size_t at = text->find(r.from); at != std::string::npos;
         at = text->find(r.from, at)) {
      text->replace(at, r.from.size(), 1, r.to);
    }
  }
  return text;
}

std::optional<std::string> EncodeFromUtf8(std::string_view utf8, const char* charset) {
  return Convert(utf8, charset, "UTF-8");
}

}  // namespace vexo::engine
