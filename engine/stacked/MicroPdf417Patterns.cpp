#include "engine/stacked/MicroPdf417Patterns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/stacked/MicroPdf417Tables.h"

namespace vexo::engine::micropdf {
namespace {

// Pattern -> value, sorted by pattern, for binary search.
using Index = std::vector<std::pair<UInt32, int>>;

template <typename Table>
Index Sorted(const Table& table) {
  Index index;
  index.reserve(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) index.emplace_back(table[i], static_cast<int>(i));
  std::sort(index.begin(), index.end());
  return index;
}

int Find(const Index& index, UInt32 pattern) {
  const auto it = std::lower_bound(index.begin(), index.end(), std::pair<UInt32, int>{pattern, -1});
  return it != index.end() && it->first == pattern ? it->second : -1;
}

}  // namespace

bool ToModules(std::span<const float> widths, int modules, int most, std::span<int> out) {
  float total = 0;
  for (float w : widths) total += w;
  constexpr std::size_t kMostElements = 8;
  if (total <= 0 || out.size() != widths.size() || widths.size() > kMostElements) return false;
  std::array<float, kMostElements> exact{};
  int sum = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    exact[i] = widths[i] * static_cast<float>(modules) / total;
    out[i] = std::max(1, static_cast<int>(exact[i] + 0.5F));
    sum += out[i];
  }
  // Move the counts that were rounded furthest until they add up.
  for (int guard = 0; sum != modules && guard < modules; ++guard) {
    const int step = sum > modules ? -1 : 1;
    std::size_t best = widths.size();
    float bestMiss = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
      if (step < 0 && out[i] == 1) continue;
      const float miss = (static_cast<float>(out[i]) - exact[i]) * static_cast<float>(-step);
      if (best == widths.size() || miss > bestMiss) {
        best = i;
        bestMiss = miss;
      }
    }
    if (best == widths.size()) return false;
    out[best] += step;
    sum += step;
  }
  if (sum != modules) return false;
  return std::all_of(out.begin(), out.end(), [most](int m) { return m >= 1 && m <= most; });
}

UInt32 PatternBits(std::span<const int> modules) {
  UInt32 bits = 0;
  bool bar = true;
  for (int m : modules) {
    for (int k = 0; k < m; ++k) bits = (bits << 1) | (bar ? 1U : 0U);
    bar = !bar;
  }
  return bits;
}

int ClusterOf(std::span<const int> modules) {
  if (modules.size() != 8) return -1;
  return (modules[0] - modules[2] + modules[4] - modules[6] + 9) % 9;
}

int CodewordOf(int cluster, UInt32 pattern) {
  static const std::array<Index, kClusterCount> indexes{
      Sorted(kCodewordPatterns[0]), Sorted(kCodewordPatterns[1]), Sorted(kCodewordPatterns[2])};
  if (cluster != 0 && cluster != 3 && cluster != 6) return -1;
  return Find(indexes[static_cast<std::size_t>(cluster / 3)], pattern);
}

int RowAddressOf(std::span<const int> modules, bool centre) {
  // Every six counts of 1 to 5, as a number in base 5, straight to its
  // pattern number: looked up for every place a row might start.
  constexpr int kElements = 6, kBase = 5, kCount = 5 * 5 * 5 * 5 * 5 * 5;
  using Lookup = std::array<UInt8, kCount>;
  static const std::array<Lookup, 2> lookups = [] {
    std::array<Lookup, 2> made{};
    for (int which = 0; which < 2; ++which) {
      const auto& table = which == 0 ? kSideRowAddress : kCentreRowAddress;
      for (std::size_t n = 0; n < table.size(); ++n) {
        int key = 0, run = 0;
        bool bar = true;
        for (int bit = kRowAddressModules - 1; bit >= -1; --bit) {
          const bool isBar = bit >= 0 && ((table[n] >> bit) & 1U) != 0;
          if (bit >= 0 && isBar == bar) {
            ++run;
            continue;
          }
          key = key * kBase + (run - 1);
          run = 1;
          bar = isBar;
        }
        made[static_cast<std::size_t>(which)][static_cast<std::size_t>(key)] =
            static_cast<UInt8>(n + 1);
      }
    }
    return made;
  }();
  if (modules.size() != kElements) return 0;
  int key = 0;
  for (int m : modules) {
    if (m < 1 || m > kBase) return 0;
    key = key * kBase + (m - 1);
  }
  return lookups[centre ? 1 : 0][static_cast<std::size_t>(key)];
}

}  // namespace vexo::engine::micropdf
