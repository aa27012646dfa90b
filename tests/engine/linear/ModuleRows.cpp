#include "tests/engine/linear/ModuleRows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "tests/support/TempDir.h"

namespace vexo::test {

std::vector<std::vector<std::string>> DumpSymbols(const std::string& args,
                                                  const std::vector<std::string>& inputs,
                                                  std::size_t rowsPerSymbol) {
  const TempDir dir;
  const std::string list = dir.File("inputs.txt");
  {
    std::ofstream file(list);
    for (const std::string& input : inputs) file << input << '\n';
  }
  const std::string command = "zint -b " + args + " --batch --dump -i " + list + " 2>/dev/null";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::vector<std::vector<std::string>> symbols;
  std::string row;
  for (int c = pipe ? std::fgetc(pipe.get()) : EOF; c != EOF; c = std::fgetc(pipe.get())) {
    if (c == '\n') {
      if (symbols.empty() || symbols.back().size() == rowsPerSymbol) symbols.emplace_back();
      symbols.back().push_back(row);
      row.clear();
    } else if (std::isxdigit(c)) {
      const int nibble = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
      for (int bit = 3; bit >= 0; --bit) row += (nibble >> bit & 1) != 0 ? '1' : '0';
    }
  }
  EXPECT_EQ(symbols.size(), inputs.size()) << command;
  return symbols;
}

std::vector<int> Elements(const std::string& modules) {
  std::vector<int> widths{0};
  char current = '0';
  for (char m : modules) {
    if (m != current) widths.push_back(0), current = m;
    ++widths.back();
  }
  return widths;
}

engine::RunRow RowOf(const std::string& modules, float module, int quiet) {
  engine::RunRow row;
  std::vector<int> elements = Elements(modules);
  elements.front() += quiet;
  if (elements.size() % 2 == 0) elements.push_back(0);  // ends light
  elements.back() += quiet;
  float position = 0;
  for (int e : elements) {
    row.starts.push_back(position);
    row.widths.push_back(static_cast<float>(e) * module);
    position += static_cast<float>(e) * module;
  }
  row.length = position;
  return row;
}

}  // namespace vexo::test
