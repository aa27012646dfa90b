#include "tests/engine/postal/PostalSymbols.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/support/TempDir.h"

namespace vexo::test {
namespace {

using engine::BarState;

// One dumped row: its hexadecimal digits as module bits, first module first.
std::vector<bool> Modules(const std::string& line) {
  std::vector<bool> modules;
  for (const char c : line) {
    if (c == ' ') continue;
    const int v = std::stoi(std::string(1, c), nullptr, 16);
    for (int bit = 3; bit >= 0; --bit) modules.push_back(((v >> bit) & 1) != 0);
  }
  return modules;
}

// Bars are the modules set in the row that every bar crosses (the last row
// of a two-height symbol, the middle row of a 4-state one).
std::vector<BarState> Bars(const std::vector<std::vector<bool>>& rows) {
  std::vector<BarState> bars;
  const bool fourState = rows.size() == 3;
  for (std::size_t m = 0; m < rows[1].size(); ++m) {
    if (!rows[1][m]) continue;
    const bool up = rows[0][m];
    const bool down = fourState ? static_cast<bool>(rows[2][m]) : true;
    bars.push_back(up ? (down ? BarState::Full : BarState::Ascender)
                      : (down ? BarState::Descender : BarState::Tracker));
  }
  return bars;
}

}  // namespace

std::vector<std::vector<BarState>> ZintBars(const std::string& type,
                                            const std::vector<std::string>& inputs) {
  TempDir dir;
  {
    std::ofstream file(dir.File("inputs.txt"));
    for (const std::string& input : inputs) file << input << '\n';
  }
  const std::string command =
      "zint -b " + type + " --batch --dump -i " + dir.File("inputs.txt") + " 2>&1";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::vector<std::vector<bool>> rows;
  char buffer[4096];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.empty()) continue;
    if (line.find_first_not_of("0123456789ABCDEF ") != std::string::npos) {
      ADD_FAILURE() << command << ": " << line;
      return {};
    }
    rows.push_back(Modules(line));
  }
  const std::size_t perSymbol = type == "POSTNET" || type == "PLANET" ? 2 : 3;
  if (rows.size() != perSymbol * inputs.size()) {
    ADD_FAILURE() << command << ": " << rows.size() << " rows for " << inputs.size() << " inputs";
    return {};
  }
  std::vector<std::vector<BarState>> symbols;
  for (std::size_t i = 0; i < rows.size(); i += perSymbol) {
    symbols.push_back(Bars({rows.begin() + static_cast<std::ptrdiff_t>(i),
                            rows.begin() + static_cast<std::ptrdiff_t>(i + perSymbol)}));
  }
  return symbols;
}

}  // namespace vexo::test
