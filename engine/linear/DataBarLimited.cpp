// GS1 DataBar Limited (ISO/IEC 24724): a guard (space, bar), the left
// character (14 elements, 26 modules), the check character (14 elements, 18
// modules), the right character (26 modules) and a guard (space, bar); the
// two characters carry the 13 digits of the GTIN without its check digit.
#include "engine/linear/DataBarLimited.h"

#include <algorithm>
#include <span>
#include <string>

#include "engine/linear/DataBarCharacters.h"

namespace vexo::engine {
namespace {

using databar::CharacterKind;

constexpr std::size_t kCharacterElements = 14;
// Runs from the first guard bar to the last: bar, 3 x 14 character
// elements, space, bar.
constexpr std::size_t kSymbolRuns = 1 + 3 * kCharacterElements + 2;
constexpr float kSymbolModules = 1 + 26 + 18 + 26 + 2;
constexpr Int32 kCheckModulus = 89;
constexpr Int64 kCharacterRadix = 2013571;
constexpr Int64 kLargestData = 1999999999999;  // indicator digit 0 or 1, twelve digits
// The clear area: the guard's space before the first bar is part of the
// symbol (one module); after the last bar five modules are asked. Less would
// let the bars of a neighbouring symbol pass for a guard.
constexpr float kLeadingQuietModules = 1;
constexpr float kTrailingQuietModules = 5;
// A character's width may differ this much from its share of the symbol
// (print gain, a slightly tilted line).
constexpr float kWidthTolerance = 0.2F;

bool Near(float pixels, float modules, float module) {
  return pixels >= modules * module * (1 - kWidthTolerance) - module * 0.5F &&
         pixels <= modules * module * (1 + kWidthTolerance) + module * 0.5F;
}

float Sum(std::span<const float> w) {
  float total = 0;
  for (float x : w) total += x;
  return total;
}

// Reads the symbol whose first guard bar is run `bar` of `w` (runs in
// reading order); content on success.
bool ReadAt(std::span<const float> w, std::size_t bar, std::string& content) {
  const std::span<const float> runs = w.subspan(bar, kSymbolRuns);
  const float module = Sum(runs) / kSymbolModules;
  if (w[bar - 1] < kLeadingQuietModules * module * 0.75F) return false;
  if (w[bar + kSymbolRuns] < kTrailingQuietModules * module * 0.8F) return false;
  const std::span<const float> left = runs.subspan(1, kCharacterElements);
  const std::span<const float> check = runs.subspan(1 + kCharacterElements, kCharacterElements);
  const std::span<const float> right = runs.subspan(1 + 2 * kCharacterElements, kCharacterElements);
  if (!Near(runs[0], 1, module) || !Near(runs[kSymbolRuns - 2], 1, module) ||
      !Near(runs[kSymbolRuns - 1], 1, module) || !Near(Sum(left), 26, module) ||
      !Near(Sum(check), 18, module) || !Near(Sum(right), 26, module)) {
    return false;
  }
  std::array<Int32, kCharacterElements> leftModules{}, checkModules{}, rightModules{};
  if (!databar::ToModules(left, 26, leftModules) || !databar::ToModules(check, 18, checkModules) ||
      !databar::ToModules(right, 26, rightModules)) {
    return false;
  }
  const Int32 leftValue = databar::CharacterValue(CharacterKind::Limited, leftModules);
  const Int32 rightValue = databar::CharacterValue(CharacterKind::Limited, rightModules);
  const Int32 checkValue = databar::LimitedCheckValue(checkModules);
  if (leftValue < 0 || rightValue < 0 || checkValue < 0) return false;
  Int32 sum = 0;
  for (std::size_t i = 0; i < kCharacterElements; ++i) {
    sum += leftModules[i] * databar::LimitedWeight(static_cast<Int32>(i));
    sum += rightModules[i] * databar::LimitedWeight(static_cast<Int32>(kCharacterElements + i));
  }
  if (sum % kCheckModulus != checkValue) return false;
  const Int64 data = leftValue * kCharacterRadix + rightValue;
  if (data > kLargestData) return false;
  content = databar::GtinContent(data);
  return true;
}

void ReadDirection(const RunRow& row, bool reversed, std::vector<LineRead>& out) {
  const std::size_t count = row.widths.size();
  std::vector<float> w(row.widths);
  if (reversed) std::reverse(w.begin(), w.end());
  // Dark runs sit at odd indexes in line order.
  const std::size_t firstDark = reversed && count % 2 == 0 ? 2 : 1;
  for (std::size_t bar = firstDark; bar + kSymbolRuns < count; bar += 2) {
    std::string content;
    if (!ReadAt(w, bar, content)) continue;
    const std::size_t first = reversed ? count - 1 - (bar + kSymbolRuns - 1) : bar;
    const std::size_t last = reversed ? count - 1 - bar : bar + kSymbolRuns - 1;
    LineRead read;
    read.symbology = Symbology::DataBarLimited;
    read.content.assign(content.begin(), content.end());
    read.begin = row.starts[first];
    read.end = row.starts[last] + row.widths[last];
    read.reversed = reversed;
    out.push_back(std::move(read));
    bar += kSymbolRuns - 1;
  }
}

}  // namespace

void ReadDataBarLimited(const RunRow& row, std::vector<LineRead>& out) {
  if (row.starts.size() != row.widths.size()) return;
  ReadDirection(row, false, out);
  ReadDirection(row, true, out);
}

}  // namespace vexo::engine
