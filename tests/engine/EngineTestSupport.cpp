#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/TempDir.h"

namespace vexo::test {
namespace {

namespace fs = std::filesystem;

void WriteRaw(const std::string& path, const Gray& image) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.pixels.data()),
            static_cast<std::streamsize>(image.pixels.size()));
}

std::vector<UInt8> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Size(const Gray& image) {
  return std::to_string(image.width) + "x" + std::to_string(image.height);
}

bool Run(const std::string& command) {
  if (std::system(command.c_str()) == 0) return true;
  ADD_FAILURE() << command;
  return false;
}

}  // namespace

std::vector<UInt8> EncodePng(const Gray& image) {
  TempDir dir;
  WriteRaw(dir.File("in.raw"), image);
  if (!Run("convert -size " + Size(image) + " -depth 8 gray:" + dir.File("in.raw") +
           " png:" + dir.File("out.png"))) {
    return {};
  }
  return ReadAll(dir.File("out.png"));
}

std::vector<UInt8> EncodePgm(const Gray& image) {
  const std::string header =
      "P5 " + std::to_string(image.width) + " " + std::to_string(image.height) + " 255\n";
  std::vector<UInt8> file(header.begin(), header.end());
  file.insert(file.end(), image.pixels.begin(), image.pixels.end());
  return file;
}

Gray TurnedBy(const Gray& image, double degreesClockwise) {
  TempDir dir;
  WriteRaw(dir.File("in.raw"), image);
  const std::string out = dir.File("out.raw");
  const std::string command = "convert -size " + Size(image) +
                              " -depth 8 gray:" + dir.File("in.raw") +
                              " -background white -rotate " + std::to_string(degreesClockwise) +
                              " -depth 8 -write gray:" + out + " -format '%w %h' info:";
  Gray turned;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    if (std::fscanf(pipe, "%d %d", &turned.width, &turned.height) != 2) turned = {};
    ::pclose(pipe);
  }
  turned.pixels = ReadAll(out);
  if (turned.pixels.size() != static_cast<std::size_t>(turned.width) * turned.height) {
    ADD_FAILURE() << command;
    return {};
  }
  return turned;
}

EngineSession::EngineSession(const Gray& page, UInt32 featureMask)
    : EngineSession(EncodePng(page), featureMask) {}

EngineSession::EngineSession(const std::vector<UInt8>& file, UInt32 featureMask)
    : engine_(engine::CreateImagingEngine()) {
  EXPECT_EQ(engine_->DecodeImageToBitmap(file.data(), &bitmap_, sizeof bitmap_, 0, 4, file.size(),
                                         nullptr, nullptr),
            kEngineSuccess);
  open_ = engine_->OpenBarcodeReader(featureMask) == kEngineSuccess;
  EXPECT_TRUE(open_);
}

EngineSession::~EngineSession() {
  if (open_) engine_->CloseBarcodeReader();
  engine_->ReleaseBitmap(&bitmap_);
}

FindOutcome EngineSession::Find(const FindArgs& args) {
  ProfileOptionsA a{{44}};
  ProfileOptionsB b{{8}};
  ProfileOptionsC c{{12}};
  UInt32 value = 0, extra = 0;
  FindOutcome outcome;
  outcome.status = engine_->GetProfileOptions(args.profile, &value, &a, &b, &c, &extra);
  if (outcome.status != kEngineSuccess) return outcome;
  a.words[kDirectionWordA] = args.directions;
  b.words[kDirectionWordB] = args.directions;
  for (const auto& [word, v] : args.wordsA) a.words[word] = v;
  for (const auto& [word, v] : args.wordsC) c.words[word] = v;
  BarcodeResult* results = nullptr;
  outcome.status =
      engine_->FindBarcodes(&bitmap_, &args.rect, args.codes.empty() ? nullptr : args.codes.data(),
                            static_cast<UInt32>(args.codes.size()), 0, value, 0, &a, &b, &c,
                            &results, sizeof(BarcodeResult), 0, 0);
  if (results == nullptr) return outcome;
  for (Int32 i = 0; i < results[0].count; ++i) {
    const BarcodeResult& r = results[i];
    Record record{r.code, r.left, r.top, r.right, r.bottom, r.angle, {}, {}};
    std::copy(std::begin(r.corners), std::end(r.corners), record.corners.begin());
    record.content.assign(reinterpret_cast<const char*>(r.data),
                          static_cast<std::size_t>(r.dataLength));
    outcome.records.push_back(record);
  }
  EXPECT_EQ(engine_->ReleaseBarcodeResults(&results), kEngineSuccess);
  return outcome;
}

std::string Describe(const std::vector<Record>& records) {
  std::ostringstream text;
  for (const Record& r : records) {
    text << std::hex << r.code << std::dec << " [" << r.left << ' ' << r.top << ' ' << r.right
         << ' ' << r.bottom << "] angle " << r.angle << " '" << r.content << "'\n";
  }
  return text.str();
}

}  // namespace vexo::test
