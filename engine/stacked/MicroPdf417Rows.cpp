#include "engine/stacked/MicroPdf417Rows.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "engine/stacked/MicroPdf417Patterns.h"
#include "engine/stacked/MicroPdf417Tables.h"

namespace vexo::engine::micropdf {
namespace {

constexpr int kRapRuns = 6;
constexpr int kCodewordRuns = 8;
constexpr int kMostRapModules = 5;
constexpr int kMostCodewordModules = 6;
// How far the width of a pattern may stray from its modules times the module
// width measured on the left row address pattern.
constexpr float kWidthTolerance = 0.25F;
// Anchors are looked for up to this module width (pixels): a 600-dpi scan of
// a large symbol.
constexpr float kMostAnchorModule = 16;

// The runs of a line in reading order: widths[0] light, then dark, light...
struct Line {
  std::vector<float> widths;
  std::vector<float> starts;  // line position of the run's reading-order start
  bool reversed = false;
};

float Sum(const Line& line, std::size_t at, int count) {
  float total = 0;
  for (int k = 0; k < count; ++k) total += line.widths[at + static_cast<std::size_t>(k)];
  return total;
}

bool WidthFits(float width, int modules, float module) {
  return std::fabs(width - static_cast<float>(modules) * module) <=
         kWidthTolerance * static_cast<float>(modules) * module;
}

// The row address pattern at `at` (6 runs), 0 when none.
int RowAddress(const Line& line, std::size_t at, float module, bool centre) {
  if (at + kRapRuns > line.widths.size()) return 0;
  const float width = Sum(line, at, kRapRuns);
  if (module > 0 && !WidthFits(width, kRowAddressModules, module)) return 0;
  std::array<int, kRapRuns> modules{};
  if (!ToModules(std::span(line.widths).subspan(at, kRapRuns), kRowAddressModules, kMostRapModules,
                 modules)) {
    return 0;
  }
  return RowAddressOf(modules, centre);
}

// The codeword at `at` (8 runs); -1 unread, -2 when the runs are no codeword's width.
int Codeword(const Line& line, std::size_t at, float module, int cluster) {
  if (at + kCodewordRuns > line.widths.size()) return -2;
  if (!WidthFits(Sum(line, at, kCodewordRuns), kCodewordModules, module)) return -2;
  for (std::size_t k = at; k < at + kCodewordRuns; ++k) {
    if (line.widths[k] > 6.5F * module) return -1;
  }
  std::array<int, kCodewordRuns> modules{};
  if (!ToModules(std::span(line.widths).subspan(at, kCodewordRuns), kCodewordModules,
                 kMostCodewordModules, modules) ||
      ClusterOf(modules) != cluster) {
    return -1;
  }
  return CodewordOf(cluster, PatternBits(modules));
}

// The elements of a row after its left row address pattern, by column count.
enum class Element { Codeword, Centre, Right };
constexpr std::array<std::array<Element, 6>, 4> kLayouts{{
    {Element::Codeword, Element::Right},
    {Element::Codeword, Element::Codeword, Element::Right},
    {Element::Codeword, Element::Centre, Element::Codeword, Element::Codeword, Element::Right},
    {Element::Codeword, Element::Codeword, Element::Centre, Element::Codeword, Element::Codeword,
     Element::Right},
}};

// Whether some symbol size has these row address offsets.
bool SomeSizeHas(int columns, int rightOffset, int centreOffset) {
  for (const SymbolSize& size : kSymbolSizes) {
    const int right = (size.rightStart - size.leftStart + kRowAddressCount) % kRowAddressCount;
    const int centre =
        size.centreStart == 0
            ? -1
            : (size.centreStart - size.leftStart + kRowAddressCount) % kRowAddressCount;
    if (size.columns == columns && right == rightOffset && centre == centreOffset) return true;
  }
  return false;
}

// The elements after one left row address pattern, each read once however
// many column counts are tried on it (the layouts share their first places).
class RowElements {
 public:
  RowElements(const Line& line, std::size_t next, float module, int cluster)
      : line_(line), next_(next), module_(module), cluster_(cluster) {
    codewords_.fill(kUnread);
    addresses_.fill(kUnread);
  }

  // The codeword `offset` runs after the pattern (see Codeword).
  int CodewordAt(std::size_t offset) {
    int& value = codewords_[offset];
    if (value == kUnread) value = Codeword(line_, next_ + offset, module_, cluster_);
    return value;
  }
  // The side or centre row address pattern `offset` runs after it.
  int AddressAt(std::size_t offset, bool centre) {
    int& value = addresses_[2 * offset + (centre ? 1 : 0)];
    if (value == kUnread) value = RowAddress(line_, next_ + offset, module_, centre);
    return value;
  }

 private:
  static constexpr int kUnread = -3;
  // The widest layout (4 columns) ends its right pattern this many runs on.
  static constexpr std::size_t kReach = 4 * kCodewordRuns + kRapRuns + 1;
  const Line& line_;
  std::size_t next_;
  float module_;
  int cluster_;
  std::array<int, kReach> codewords_{};
  std::array<int, 2 * kReach> addresses_{};
};

// Reads the row as `columns` columns after the left pattern; the count of
// codewords read, -1 when the runs do not fit.
int ReadLayout(const Line& line, std::size_t next, float module, int columns, RowElements& elements,
               RowRead& read) {
  std::size_t offset = 0;
  int column = 0, readCount = 0;
  for (const Element element : kLayouts[static_cast<std::size_t>(columns - 1)]) {
    if (element == Element::Codeword) {
      const int value = elements.CodewordAt(offset);
      if (value == -2) return -1;
      read.codewords[static_cast<std::size_t>(column++)] = value;
      readCount += value >= 0 ? 1 : 0;
      offset += kCodewordRuns;
      continue;
    }
    const int address = elements.AddressAt(offset, element == Element::Centre);
    if (address == 0) return -1;
    if (element == Element::Centre) {
      read.centre = address;
      offset += kRapRuns;
      continue;
    }
    read.right = address;
    // The stop bar, about a module wide, follows the right pattern.
    const std::size_t stop = next + offset + kRapRuns;
    if (stop >= line.widths.size() || line.widths[stop] > 1.6F * module ||
        line.widths[stop] < 0.4F * module) {
      return -1;
    }
    const float direction = line.reversed ? -1.0F : 1.0F;
    read.rightEdge = line.starts[stop] + direction * line.widths[stop];
    break;
  }
  const int rightOffset = (read.right - read.left + kRowAddressCount) % kRowAddressCount;
  const int centreOffset =
      read.centre == 0 ? -1 : (read.centre - read.left + kRowAddressCount) % kRowAddressCount;
  if (readCount == 0 || !SomeSizeHas(columns, rightOffset, centreOffset)) return -1;
  return readCount;
}

// Whether the element of `runs` runs at `at` has the width of `modules`
// modules: what Codeword and RowAddress ask before looking anything up.
bool ElementFits(const Line& line, std::size_t at, int runs, int modules, float module) {
  return at + static_cast<std::size_t>(runs) <= line.widths.size() &&
         WidthFits(Sum(line, at, runs), modules, module);
}

// Whether every element of the layout after the left pattern, and the stop
// bar, has its width: ReadLayout fails wherever this does, and this looks
// no pattern up.
bool LayoutFits(const Line& line, std::size_t next, float module, int columns) {
  std::size_t at = next;
  for (const Element element : kLayouts[static_cast<std::size_t>(columns - 1)]) {
    const bool codeword = element == Element::Codeword;
    const int runs = codeword ? kCodewordRuns : kRapRuns;
    if (!ElementFits(line, at, runs, codeword ? kCodewordModules : kRowAddressModules, module)) {
      return false;
    }
    at += static_cast<std::size_t>(runs);
    if (element == Element::Right) {
      return at < line.widths.size() && line.widths[at] <= 1.6F * module &&
             line.widths[at] >= 0.4F * module;
    }
  }
  return false;
}

// Reads the row whose left row address pattern starts at dark run `at`: the
// column count whose layout fits the runs, with the most codewords read.
bool ReadRow(const Line& line, std::size_t at, RowRead& best, std::vector<LeftAnchor>* anchors) {
  if (at + kRapRuns + kCodewordRuns > line.widths.size()) return false;
  const float module = Sum(line, at, kRapRuns) / kRowAddressModules;
  // The quiet zone before the symbol, and no element of the pattern under
  // half a module or over five and a half: most places fail here, cheaply.
  if (line.widths[at - 1] < 0.75F * module) return false;
  for (std::size_t k = at; k < at + kRapRuns; ++k) {
    if (line.widths[k] < 0.5F * module || line.widths[k] > 5.5F * module) return false;
  }
  // Every layout starts with a codeword: its width alone rules out most of
  // the rest. Then the widths of the layouts' elements and of what may
  // follow an anchor's codeword, before any pattern is looked up.
  const std::size_t next = at + kRapRuns;
  if (!WidthFits(Sum(line, next, kCodewordRuns), kCodewordModules, module)) return false;
  std::array<bool, 4> fits{};
  for (int columns = 1; columns <= 4; ++columns) {
    fits[static_cast<std::size_t>(columns - 1)] = LayoutFits(line, next, module, columns);
  }
  const std::size_t after = next + kCodewordRuns;
  const bool mayAnchor = anchors != nullptr && module <= kMostAnchorModule &&
                         (ElementFits(line, after, kCodewordRuns, kCodewordModules, module) ||
                          ElementFits(line, after, kRapRuns, kRowAddressModules, module));
  if (!mayAnchor && std::none_of(fits.begin(), fits.end(), [](bool f) { return f; })) return false;
  const int left = RowAddress(line, at, 0, false);
  if (left == 0) return false;
  RowElements elements(line, next, module, 3 * ((left - 1) % 3));
  int bestCount = 0;
  for (int columns = 1; columns <= 4; ++columns) {
    if (!fits[static_cast<std::size_t>(columns - 1)]) continue;
    RowRead read;
    read.left = left;
    const int count = ReadLayout(line, next, module, columns, elements, read);
    if (count > bestCount) {
      best = read;
      best.columns = columns;
      best.module = module;
      best.leftEdge = line.starts[at];
      bestCount = count;
    }
  }
  // An anchor: the first codeword in the row's cluster, and what follows it a
  // codeword of any cluster (a slanted line may have crossed into the next
  // row) or a row address pattern.
  if (bestCount == 0 && mayAnchor && elements.CodewordAt(0) >= 0) {
    const bool followed =
        Codeword(line, after, module, 0) >= 0 || Codeword(line, after, module, 3) >= 0 ||
        Codeword(line, after, module, 6) >= 0 || elements.AddressAt(kCodewordRuns, false) != 0 ||
        elements.AddressAt(kCodewordRuns, true) != 0;
    if (followed) anchors->push_back({line.starts[at], left, module, line.reversed});
  }
  return bestCount > 0;
}

void ReadLine(const Line& line, std::vector<RowRead>& out, std::vector<LeftAnchor>* anchors) {
  const std::size_t n = line.widths.size();
  for (std::size_t at = 1; at + kRapRuns + kCodewordRuns + kRapRuns <= n; at += 2) {
    RowRead read;
    if (ReadRow(line, at, read, anchors)) out.push_back(read);
  }
}

}  // namespace

void ReadRows(const RunRow& row, std::vector<RowRead>& out, std::vector<LeftAnchor>* anchors) {
  const std::size_t n = std::min(row.widths.size(), row.starts.size());
  if (n < 2) return;
  // Both lines reuse their buffers from one row to the next (per thread).
  thread_local Line forward, backward;
  forward.widths.assign(row.widths.begin(), row.widths.begin() + static_cast<std::ptrdiff_t>(n));
  forward.starts.assign(row.starts.begin(), row.starts.begin() + static_cast<std::ptrdiff_t>(n));
  forward.reversed = false;
  ReadLine(forward, out, anchors);
  // Backwards: the runs reversed, each starting at its far end, led by a light
  // run (of no width when the line ends on a bar).
  backward.widths.clear();
  backward.starts.clear();
  backward.reversed = true;
  if (n % 2 == 0) {
    backward.widths.push_back(0.0F);
    backward.starts.push_back(row.length);
  }
  for (std::size_t k = n; k-- > 0;) {
    backward.widths.push_back(forward.widths[k]);
    backward.starts.push_back(forward.starts[k] + forward.widths[k]);
  }
  ReadLine(backward, out, anchors);
}

}  // namespace vexo::engine::micropdf
