#include "tests/engine/linear/RowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "engine/bars/RunTools.h"

namespace vexo::test {

engine::RunRow RowOfModules(const std::string& runs, float module, float quiet, float spread) {
  engine::RunRow row;
  float at = 0;
  const auto add = [&](float width) {
    row.starts.push_back(at);
    row.widths.push_back(width);
    at += width;
  };
  add(quiet * module - spread / 2);
  std::size_t count = 0;
  for (const char c : runs) {
    if (c == ' ') continue;
    const float width = static_cast<float>(c - '0') * module;
    add(count++ % 2 == 0 ? width + spread : width - spread);
  }
  // A row that ends with a bar gets its closing quiet zone.
  if (count % 2 == 1) add(quiet * module - spread / 2);
  row.length = at;
  return row;
}

std::string ZintRuns(const std::string& args) {
  const std::string command = "zint --dump -b " + args + " 2>/dev/null";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string hex;
  for (int c; pipe && (c = std::fgetc(pipe.get())) != EOF && c != '\n';) {
    if (c != ' ') hex.push_back(static_cast<char>(c));
  }
  // Each hex digit is four modules, 1 = dark; the last one is padded with
  // light modules, which the quiet zone takes in.
  std::string modules;
  for (const char c : hex) {
    const int value = std::stoi(std::string(1, c), nullptr, 16);
    for (int bit = 3; bit >= 0; --bit) modules.push_back((value >> bit & 1) != 0 ? '1' : '0');
  }
  while (!modules.empty() && modules.back() == '0') modules.pop_back();
  std::string runs;
  for (std::size_t i = 0; i < modules.size();) {
    std::size_t j = i;
    while (j < modules.size() && modules[j] == modules[i]) ++j;
    if (j - i > 9) {
      ADD_FAILURE() << "a run of " << j - i << " modules in " << command;
      return {};
    }
    runs.push_back(static_cast<char>('0' + (j - i)));
    i = j;
  }
  if (runs.empty()) ADD_FAILURE() << command;
  return runs;
}

std::vector<std::string> Contents(engine::RowDecoder decoder, const engine::RunRow& row) {
  std::vector<engine::LineRead> reads;
  decoder(row, reads);
  std::vector<std::string> contents;
  for (const engine::LineRead& read : reads) {
    std::string text(read.reversed ? 1 : 0, '<');
    text.append(read.content.begin(), read.content.end());
    contents.push_back(text);
  }
  return contents;
}

void PrintTo(const DecoderRow& row, std::ostream* os) { *os << row.name; }

std::vector<std::string> ReadDecoderRow(engine::RowDecoder decoder, const DecoderRow& row) {
  constexpr float kModule = 3;
  const std::string zint = "zint ";
  const std::string runs = row.runs;
  const std::string modules = runs.rfind(zint, 0) == 0 ? ZintRuns(runs.substr(zint.size())) : runs;
  const engine::RunRow drawn = RowOfModules(row.before + (" " + modules), kModule * row.unit,
                                            row.quiet / row.unit, row.spread);
  return Contents(decoder, row.reversed ? engine::Reversed(drawn) : drawn);
}

void ExpectChecks(bool (*rule)(const std::vector<UInt8>&), std::initializer_list<CheckCase> cases) {
  for (const CheckCase& c : cases) {
    const std::string content = c.content;
    EXPECT_EQ(rule({content.begin(), content.end()}), c.verifies) << content;
  }
}

}  // namespace vexo::test
