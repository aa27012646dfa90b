#pragma once
// Fixed texts of velmora-annotate. Report lines begin with the module's
// identity prefix and ", ERROR: ", like the worker's.

namespace vexo::msg {

inline constexpr char kAnnotateUsage[] =
    "Usage: velmora-annotate REQUEST.json OUT.png | velmora-annotate IMAGE RESULT.json OUT.png "
    "[DPI]";
inline constexpr char kMalformedResult[] = "Malformed result document \"";
inline constexpr char kBadDpi[] = "DPI must be a whole number from 1 to 100000: \"";
inline constexpr char kNoImageDpi[] = "The image gives no resolution; pass DPI: \"";
inline constexpr char kCannotDecode[] = "Could not read the image: ";
inline constexpr char kCannotDraw[] = "Could not draw the picture: ";

// The label's content is cut to this many characters, then "...".
inline constexpr int kLabelContentLength = 24;

}  // namespace vexo::msg
