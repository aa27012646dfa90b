#include "engine/stacked/MicroPdf417Symbol.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/stacked/Gf929.h"
#include "engine/stacked/MicroPdf417Tables.h"
#include "engine/stacked/Pdf417Data.h"

namespace vexo::engine::micropdf {
namespace {

// Check codewords a correction with erasures must leave unspent.
constexpr int kSpareChecks = 2;

int Mod52(int v) { return ((v % kRowAddressCount) + kRowAddressCount) % kRowAddressCount; }

// What the rows of one symbol share: the column count, the offsets of the
// right and centre row address patterns from the left one, the direction.
struct Family {
  int columns, rightOffset, centreOffset;
  bool reversed;
  auto operator<=>(const Family&) const = default;
};

Family FamilyOf(const RowRead& row) {
  return {row.columns, Mod52(row.right - row.left),
          row.centre == 0 ? -1 : Mod52(row.centre - row.left), row.leftEdge > row.rightEdge};
}

bool SizeFits(const SymbolSize& size, const Family& family) {
  return size.columns == family.columns &&
         Mod52(size.rightStart - size.leftStart) == family.rightOffset &&
         (size.centreStart == 0 ? -1 : Mod52(size.centreStart - size.leftStart)) ==
             family.centreOffset;
}

// Rows of one family split into symbols: rows that stand apart along the
// lines, or across them by more than a few rows' height, are other symbols.
std::vector<std::vector<PlacedRow>> Split(std::vector<PlacedRow> rows) {
  std::sort(rows.begin(), rows.end(),
            [](const PlacedRow& a, const PlacedRow& b) { return a.across < b.across; });
  std::vector<std::vector<PlacedRow>> groups;
  for (const PlacedRow& row : rows) {
    const float length = std::fabs(row.row.rightEdge - row.row.leftEdge);
    std::vector<PlacedRow>* home = nullptr;
    for (auto& group : groups) {
      const PlacedRow& last = group.back();
      if (std::fabs(last.row.leftEdge - row.row.leftEdge) < 0.25F * length &&
          row.across - last.across < 24.0F * row.row.module) {
        home = &group;
        break;
      }
    }
    if (home == nullptr) home = &groups.emplace_back();
    home->push_back(row);
  }
  return groups;
}

// Least-squares line v = a + b r through (r, v).
struct Fit {
  double a = 0, b = 0;
  double At(double r) const { return a + b * r; }
};

Fit FitLine(const std::vector<std::pair<double, double>>& points) {
  double sr = 0, sv = 0, srr = 0, srv = 0;
  const double n = static_cast<double>(points.size());
  for (const auto& [r, v] : points) {
    sr += r;
    sv += v;
    srr += r * r;
    srv += r * v;
  }
  const double det = n * srr - sr * sr;
  if (n == 0) return {};
  if (std::fabs(det) < 1e-9) return {sv / n, 0};
  const double b = (n * srv - sr * sv) / det;
  return {(sv - b * sr) / n, b};
}

// Reads the group as a symbol of size `sizeIndex`.
bool ReadAs(const std::vector<PlacedRow>& rows, int sizeIndex, SymbolRead& read) {
  const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(sizeIndex)];
  std::vector<std::map<int, int>> votes(static_cast<std::size_t>(size.rows * size.columns));
  std::vector<std::pair<double, double>> across, left, right;
  std::vector<bool> seen(size.rows, false);
  std::size_t misfits = 0;
  for (const PlacedRow& placed : rows) {
    const int r = Mod52(placed.row.left - size.leftStart);
    if (r >= size.rows) {
      ++misfits;  // a row of another size, or a misread row address
      continue;
    }
    seen[static_cast<std::size_t>(r)] = true;
    for (int c = 0; c < size.columns; ++c) {
      const int value = placed.row.codewords[static_cast<std::size_t>(c)];
      if (value >= 0) ++votes[static_cast<std::size_t>(r * size.columns + c)][value];
    }
    across.emplace_back(r, placed.across);
    left.emplace_back(r, placed.row.leftEdge);
    right.emplace_back(r, placed.row.rightEdge);
  }
  if (4 * misfits > rows.size()) return false;
  // A fit needs two rows at least.
  if (std::count(seen.begin(), seen.end(), true) < 2) return false;
  std::vector<int> codewords;
  codewords.reserve(votes.size());
  for (const auto& place : votes) {
    int best = -1, most = 0;
    for (const auto& [value, count] : place) {
      if (count > most) {
        best = value;
        most = count;
      }
    }
    codewords.push_back(best);
  }
  if (!DecodeCodewords(std::move(codewords), sizeIndex, read.content)) return false;
  const Fit a = FitLine(across), l = FitLine(left), rt = FitLine(right);
  const double top = -0.5, bottom = size.rows - 0.5;
  auto corner = [](const Fit& along, const Fit& cross, double r) {
    return std::array<float, 2>{static_cast<float>(along.At(r)), static_cast<float>(cross.At(r))};
  };
  read.corners = {corner(l, a, top), corner(rt, a, top), corner(rt, a, bottom),
                  corner(l, a, bottom)};
  return true;
}

}  // namespace

bool DecodeCodewords(std::vector<int> codewords, int sizeIndex, std::vector<UInt8>& content) {
  if (sizeIndex < 0 || sizeIndex >= kSymbolSizeCount) return false;
  const SymbolSize& size = kSymbolSizes[static_cast<std::size_t>(sizeIndex)];
  if (codewords.size() != static_cast<std::size_t>(size.rows * size.columns)) return false;
  std::vector<int> erasures;
  for (std::size_t i = 0; i < codewords.size(); ++i) {
    if (codewords[i] < 0 || codewords[i] >= gf929::kPrime) {
      erasures.push_back(static_cast<int>(i));
      codewords[i] = 0;
    }
  }
  const std::vector<int> read = codewords;
  if (gf929::Correct(codewords, size.ecCount, erasures) < 0) return false;
  // Erasures spend the check codewords that catch a misread: with any, two
  // must be left unspent.
  if (!erasures.empty()) {
    int errors = 0;
    for (std::size_t i = 0; i < codewords.size(); ++i) {
      if (codewords[i] != read[i] &&
          !std::binary_search(erasures.begin(), erasures.end(), static_cast<int>(i))) {
        ++errors;
      }
    }
    if (2 * errors + static_cast<int>(erasures.size()) > size.ecCount - kSpareChecks) return false;
  }
  codewords.resize(codewords.size() - size.ecCount);
  const auto data = pdf417::DecodeData(codewords);
  if (!data) return false;
  content = data->bytes;
  return true;
}

std::vector<SymbolRead> JoinRows(std::vector<PlacedRow> rows) {
  std::map<Family, std::vector<PlacedRow>> families;
  for (const PlacedRow& row : rows) families[FamilyOf(row.row)].push_back(row);
  std::vector<SymbolRead> symbols;
  for (auto& [family, members] : families) {
    for (const auto& group : Split(std::move(members))) {
      for (int s = 0; s < kSymbolSizeCount; ++s) {
        SymbolRead read;
        if (SizeFits(kSymbolSizes[static_cast<std::size_t>(s)], family) && ReadAs(group, s, read)) {
          symbols.push_back(std::move(read));
          break;
        }
      }
    }
  }
  return symbols;
}

}  // namespace vexo::engine::micropdf
