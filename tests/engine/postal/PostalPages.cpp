#include "tests/engine/postal/PostalPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace vexo::test {
namespace {

constexpr Int32 kEnvelopeWidth = 1900;
constexpr Int32 kEnvelopeHeight = 1000;

Gray DrawAddress() {
  const std::string command = "convert -size " + std::to_string(kEnvelopeWidth) + "x" +
                              std::to_string(kEnvelopeHeight) +
                              " xc:white -font DejaVu-Sans -pointsize 30"
                              " -draw \"text 80,90 'Velmora Test Mailing Services'\""
                              " -draw \"text 80,135 'PO Box 1111, Illinois IL 60611'\""
                              " -draw \"line 80,145 560,145\""
                              " -font DejaVu-Sans-Mono -pointsize 28"
                              " -draw \"text 80,185 'lllllll IIIIIII |||||||| 1111111'\""
                              " -depth 8 pgm:-";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  Gray image;
  int maxValue = 0;
  if (!pipe ||
      std::fscanf(pipe.get(), "P5 %d %d %d", &image.width, &image.height, &maxValue) != 3 ||
      std::fgetc(pipe.get()) == EOF || maxValue != 255) {
    ADD_FAILURE() << command;
    return Gray::White(kEnvelopeWidth, kEnvelopeHeight);
  }
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  if (std::fread(image.pixels.data(), 1, image.pixels.size(), pipe.get()) != image.pixels.size()) {
    ADD_FAILURE() << command;
    return Gray::White(kEnvelopeWidth, kEnvelopeHeight);
  }
  return image;
}

}  // namespace

Gray Envelope() {
  static const Gray envelope = DrawAddress();
  return envelope;
}

Box DarkBox(const Gray& image) {
  Box box{image.width, image.height, 0, 0};
  for (Int32 y = 0; y < image.height; ++y) {
    for (Int32 x = 0; x < image.width; ++x) {
      if (image.pixels[std::size_t(y) * image.width + x] >= 128) continue;
      box.left = std::min(box.left, x), box.right = std::max(box.right, x + 1);
      box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

FindOutcome ReadPage(const Gray& page, const std::vector<UInt32>& codes) {
  EngineSession session(EncodePgm(page));
  FindArgs args;
  args.codes = codes;
  args.directions = kHorizontal | kVertical | kDiagonal;
  return session.Find(args);
}

}  // namespace vexo::test
