#pragma once
// Whole files between disk and memory, by UTF-16 path. Failures throw
// std::runtime_error with one line: what failed, the path in UTF-8 and the
// system's error text.

#include <string>
#include <vector>

#include "Common/UStringImpl.h"
#include "app/FilePath.h"

namespace vexo {

// Largest file ReadWholeFile accepts (2^31 - 1 bytes); a larger one is
// reported as "Cannot read input file" with the text of EFBIG.
inline constexpr long long kMaxReadableFileSize = 0x7FFFFFFF;

// The path in UTF-8, as messages show it; a path that is no valid UTF-16
// throws the conversion's exception.
std::string PathToUTF8(const WideString& path);

// Largest bitmap file ParseRequest reads (1 GiB). The largest file the
// engine decodes within its memory budget is about 800 MB (an uncompressed
// 16-bit RGBA TIFF of 100 million pixels); the file stays in memory for the
// whole run, beside the decoded page.
inline constexpr long long kMaxBitmapFileSize = 1LL << 30;

// Largest request document ParseRequest reads (64 MiB). Requests are a few
// hundred bytes; the parsed document takes up to about 18 times the text's
// size, so a larger one could use up the machine's memory.
inline constexpr long long kMaxRequestFileSize = 64LL * 1024 * 1024;

// Replaces the content of `buffer` with the file's bytes. A file larger than
// `maxSize` (at most kMaxReadableFileSize) is refused before anything is read.
// A file that ends before its size has been read (a file of the system's
// information folders) is reported with kShortRead, never with "Success".
void ReadWholeFile(const FilePath& path, std::vector<char>& buffer,
                   long long maxSize = kMaxReadableFileSize);
// Writes `text` as the file's whole content, through a temporary file that
// replaces it where the path is a regular file or nothing yet (OutputFile);
// a failure to flush it (a full disk) is reported too, and leaves no file.
void WriteWholeFile(const FilePath& path, const std::string& text);

}  // namespace vexo
