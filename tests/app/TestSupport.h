#pragma once
// Helpers of the app tests: scratch folders, files, paths and child processes.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Common/UStringImpl.h"
#include "tests/support/TempDir.h"

namespace vexo::test {

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
// Runs `program` with `arguments` (argv[1] on), with `blockedSignals` in its
// signal mask, and collects its standard output; standard error is left alone.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<int>& blockedSignals = {});

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
