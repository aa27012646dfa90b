#include "app/annotate/AnnotateRun.h"

#include <charconv>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/FileAccess.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/RequestDocument.h"
#include "app/RunDriver.h"
#include "app/annotate/AnnotateMessages.h"
#include "app/annotate/ResultMarks.h"
#include "engine/core/Status.h"
#include "engine/image/ImageDecoder.h"
#include "engine/image/PageDrawing.h"

namespace vexo {
namespace {

constexpr int kMaxDpi = 100000;
// A result document is a few kilobytes per barcode.
constexpr long long kMaxResultFileSize = kMaxRequestFileSize;

// What one picture is made of, whichever way it was named.
struct Inputs {
  std::vector<char> image;
  WideString resultPath;
  int dpi = 0;  // 0: the image's own resolution
};

std::string Shown(const WideString& path) { return EscapeControls(PathToUTF8(path)); }

int ParseDpi(const char* text) {
  const std::string_view view(text);
  int dpi = 0;
  const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), dpi);
  if (error != std::errc() || end != view.data() + view.size() || dpi < 1 || dpi > kMaxDpi) {
    throw std::runtime_error(msg::kBadDpi + EscapeControls(view) + msg::kQuote);
  }
  return dpi;
}

Inputs FromRequest(const char* requestArgument) {
  BarcodeRequest request;
  ParseRequest(request, ArgumentToPath(requestArgument));
  return {std::move(request.bitmapData), request.resultPath, request.dpi};
}

Inputs FromImage(const char* imageArgument, const char* resultArgument, const char* dpiArgument) {
  Inputs inputs;
  ReadWholeFile(ArgumentToPath(imageArgument), inputs.image);
  inputs.resultPath = ArgumentToPath(resultArgument);
  if (dpiArgument != nullptr) inputs.dpi = ParseDpi(dpiArgument);
  return inputs;
}

void Annotate(int argc, char** argv) {
  const bool requestForm = argc == 3;
  const Inputs inputs = requestForm ? FromRequest(argv[1])
                                    : FromImage(argv[1], argv[2], argc == 5 ? argv[4] : nullptr);
  engine::LumaImage page;
  const auto* bytes = reinterpret_cast<const UInt8*>(inputs.image.data());
  const EngineStatus decoded = engine::DecodeImage(bytes, inputs.image.size(), page);
  if (decoded != engine::kStatusSuccess) {
    throw std::runtime_error(msg::kCannotDecode + std::string(engine::StatusText(decoded)));
  }
  int dpi = inputs.dpi;
  if (dpi == 0) dpi = page.xDpi;
  if (dpi <= 0) throw std::runtime_error(msg::kNoImageDpi + EscapeControls(argv[1]) + msg::kQuote);

  std::vector<char> document;
  ReadWholeFile(inputs.resultPath, document, kMaxResultFileSize);
  const std::vector<engine::PageMark> marks = ReadResultMarks(
      std::string_view(document.data(), document.size()), dpi, Shown(inputs.resultPath));

  std::string png;
  const EngineStatus status = engine::DrawMarksAsPng(page, marks, png);
  if (status != engine::kStatusSuccess) {
    throw std::runtime_error(msg::kCannotDraw + std::string(engine::StatusText(status)));
  }
  WriteWholeFile(ArgumentToPath(argv[requestForm ? 2 : 3]), png);
}

}  // namespace

int RunAnnotate(int argc, char** argv) {
  const std::string prefix = IdentityPrefix() + msg::kErrorSeparator;
  if (argc < 3 || argc > 5) {
    std::cout << msg::kAnnotateUsage << std::endl;
    return 1;
  }
  try {
    Annotate(argc, argv);
    return 0;
  } catch (const std::exception& error) {
    std::cout << prefix << error.what() << std::endl;
  } catch (...) {
    std::cout << prefix << msg::kUnknownException << std::endl;
  }
  return 1;
}

}  // namespace vexo
