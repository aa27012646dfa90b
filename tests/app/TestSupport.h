#pragma once
// Helpers of the app tests: scratch folders, files, paths and child processes.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Common/UStringImpl.h"

namespace vexo::test {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& Path() const { return path; }
  // The UTF-8 path of `name` inside the folder.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// A UTF-8 text (a path) as UTF-16.
WideString Wide(const std::string& utf8);

// A small grey image in the PGM format (any imaging library reads it).
std::string BlankPgm();

struct ProcessResult {
  std::string output;  // everything written to standard output
  int exitCode = -1;   // -1 when the process did not exit normally
};
// Runs `program` with `arguments` (argv[1] on) and collects its standard
// output; standard error is left alone.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments);

// Names the cases of a parameterized test by their `name` member.
struct CaseName {
  template <class Param>
  std::string operator()(const testing::TestParamInfo<Param>& info) const {
    return info.param.name;
  }
};

// "Velmora Barcode Module <version>", spelled out for expected lines.
std::string Prefix();

}  // namespace vexo::test
