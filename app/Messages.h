#pragma once
// Fixed console and error texts of the process driver, the request document
// and file access. Each text lives here once; the code that prints or throws
// it names the constant.

namespace vexo::msg {

// Console: banner, standalone-use message and report lines.
inline constexpr char kProductName[] = "Velmora Barcode Module";
inline constexpr char kBannerEnd[] = ".";
inline constexpr char kStandaloneMessage[] =
    "This module was not designed to run as a standalone application: its features are "
    "available via the Korvane SDK.";
inline constexpr char kErrorSeparator[] = ", ERROR: ";
inline constexpr char kUnrecognizedParameter[] = "Unrecognized parameter: \"";
inline constexpr char kQuote[] = "\"";
// The report of a failure that is no std::exception, and of a fault code the
// description table does not know.
inline constexpr char kUnknownException[] = "Unknown exception";

// Request document.
inline constexpr char kMalformedJson[] = "Malformed input JSON \"";
inline constexpr char kMemberPrefix[] = "Malformed input JSON: \"";
inline constexpr char kEntryMissing[] = "\" entry is missing";
inline constexpr char kWrongType[] = "\" has wrong type";
inline constexpr char kNotPositive[] = "\" cannot be 0 or negative";
inline constexpr char kWrongFormat[] = "\" has wrong format";

// Request members, in the order they are read.
inline constexpr char kKeySearchTypeGroups[] = "searchTypeGroups";
inline constexpr char kKeySearchDirections[] = "searchDirections";
inline constexpr char kKeyProfile[] = "profile";
inline constexpr char kKeyOutputFormat[] = "outputFormat";
inline constexpr char kKeyWidth[] = "width";
inline constexpr char kKeyHeight[] = "height";
inline constexpr char kKeyStride[] = "stride";
inline constexpr char kKeyDpi[] = "dpi";
inline constexpr char kKeyScalarW[] = "scalarW";
inline constexpr char kKeyScalarH[] = "scalarH";
inline constexpr char kKeyBitmapPath[] = "bitmapPath";
inline constexpr char kKeyResultPath[] = "resultPath";

// File access: prefix, UTF-8 path, kPathEnd, error text.
inline constexpr char kCannotOpenInput[] = "Cannot open input file \"";
inline constexpr char kCannotReadInput[] = "Cannot read input file \"";
inline constexpr char kCannotOpenOutput[] = "Cannot open output file \"";
inline constexpr char kCannotWriteOutput[] = "Cannot write output file \"";
inline constexpr char kPathEnd[] = "\": ";
// The error text of a file that ends before its size was read: no system
// error stands for it, and errno would say "Success".
inline constexpr char kShortRead[] = "File ended before its stated size";

}  // namespace vexo::msg
