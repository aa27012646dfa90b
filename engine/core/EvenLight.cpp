#include "engine/core/EvenLight.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vexo::engine {
namespace {

constexpr Int32 kCell = PaperLightGrid::kCell;
// The brightest cell within this many cells (a symbol of 1.5 to 3 pixel
// modules spans 4 to 20 cells, with paper around it), then the darkest
// within as many (a closing: the light follows a sharp edge of shadow
// instead of spreading it), then a mean of the neighbouring cells, twice.
constexpr Int32 kPaperReach = 4;
constexpr Int32 kSmoothReach = 1;
constexpr int kSmoothings = 2;
constexpr double kEvenShare = 0.1;  // the tenths compared by LightEvenness
constexpr double kPaperLevel = 250;
constexpr double kMaxLift = 3;
// The light of a phone photo falls by a third or more across a page, a
// scan's by a few percent.
constexpr double kUnevenLight = 0.8;
// Smaller areas (a label, a crop) have too few cells to tell light from
// content.
constexpr Int32 kMinEvenedSide = 512;

enum class CellFilter { Max, Min, Mean };

// The `count` values of `line`, `step` apart, each replaced by the max, the
// min or the mean of those within `reach` of it.
void FilterLine(double* line, Int32 count, Int32 step, Int32 reach, CellFilter op,
                std::vector<double>& copy) {
  copy.resize(static_cast<std::size_t>(count));
  for (Int32 i = 0; i < count; ++i) copy[static_cast<std::size_t>(i)] = line[i * step];
  for (Int32 i = 0; i < count; ++i) {
    const Int32 a = std::max(i - reach, 0), b = std::min(i + reach, count - 1);
    double v = op == CellFilter::Min ? copy[static_cast<std::size_t>(a)] : 0;
    for (Int32 j = a; j <= b; ++j) {
      const double c = copy[static_cast<std::size_t>(j)];
      v = op == CellFilter::Max ? std::max(v, c) : op == CellFilter::Min ? std::min(v, c) : v + c;
    }
    line[i * step] = op == CellFilter::Mean ? v / (b - a + 1) : v;
  }
}

void Filter(PaperLightGrid& grid, Int32 reach, CellFilter op) {
  std::vector<double> copy;
  for (Int32 y = 0; y < grid.height; ++y) {
    FilterLine(grid.values.data() + static_cast<std::size_t>(y) * grid.width, grid.width, 1, reach,
               op, copy);
  }
  for (Int32 x = 0; x < grid.width; ++x) {
    FilterLine(grid.values.data() + x, grid.height, grid.width, reach, op, copy);
  }
}

double At(const PaperLightGrid& grid, Int32 x, Int32 y) {
  return grid.values[static_cast<std::size_t>(y) * grid.width + x];
}

}  // namespace

PaperLightGrid PaperLight(const LumaView& view) {
  PaperLightGrid grid;
  if (view.Empty()) return grid;
  grid.width = (view.width + kCell - 1) / kCell;
  grid.height = (view.height + kCell - 1) / kCell;
  grid.values.assign(static_cast<std::size_t>(grid.width) * grid.height, 0);
  std::vector<UInt32> sums(static_cast<std::size_t>(grid.width));
  for (Int32 cy = 0; cy < grid.height; ++cy) {
    std::fill(sums.begin(), sums.end(), 0);
    const Int32 bottom = std::min(view.height, (cy + 1) * kCell);
    for (Int32 y = cy * kCell; y < bottom; ++y) {
      const UInt8* row = view.Row(y);
      for (Int32 cx = 0, x = 0; cx < grid.width; ++cx) {
        UInt32 sum = 0;
        for (const Int32 end = std::min(view.width, x + kCell); x < end; ++x) sum += row[x];
        sums[static_cast<std::size_t>(cx)] += sum;
      }
    }
    for (Int32 cx = 0; cx < grid.width; ++cx) {
      const Int32 pixels =
          (std::min(view.width, (cx + 1) * kCell) - cx * kCell) * (bottom - cy * kCell);
      grid.values[static_cast<std::size_t>(cy) * grid.width + cx] =
          static_cast<double>(sums[static_cast<std::size_t>(cx)]) / pixels;
    }
  }
  Filter(grid, kPaperReach, CellFilter::Max);
  Filter(grid, kPaperReach, CellFilter::Min);
  for (int i = 0; i < kSmoothings; ++i) Filter(grid, kSmoothReach, CellFilter::Mean);
  return grid;
}

double LightEvenness(const PaperLightGrid& light) {
  if (light.values.empty()) return 1;
  std::vector<double> values = light.values;
  const auto tenth =
      static_cast<std::ptrdiff_t>(kEvenShare * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + tenth, values.end());
  const double dark = values[static_cast<std::size_t>(tenth)];
  const auto brightAt = values.end() - 1 - tenth;
  std::nth_element(values.begin(), brightAt, values.end());
  return *brightAt > 0 ? dark / *brightAt : 1;
}

LumaImage EvenedLight(const LumaView& view, const PaperLightGrid& light) {
  LumaImage out;
  out.width = view.width;
  out.height = view.height;
  out.pixels.resize(static_cast<std::size_t>(view.width) * view.height);
  if (light.values.empty()) return out;
  const double floor =
      std::max(1.0, *std::max_element(light.values.begin(), light.values.end()) / kMaxLift);
  std::vector<double> gain(static_cast<std::size_t>(view.width));
  for (Int32 y = 0; y < view.height; ++y) {
    // The light bilinear between cell centres; clamped at the outer ones.
    const double cy = std::clamp((y + 0.5) / kCell - 0.5, 0.0, light.height - 1.0);
    const auto y0 = static_cast<Int32>(cy);
    const Int32 y1 = std::min(y0 + 1, light.height - 1);
    const double fy = cy - y0;
    for (Int32 x = 0; x < view.width; ++x) {
      const double cx = std::clamp((x + 0.5) / kCell - 0.5, 0.0, light.width - 1.0);
      const auto x0 = static_cast<Int32>(cx);
      const Int32 x1 = std::min(x0 + 1, light.width - 1);
      const double fx = cx - x0;
      const double top = At(light, x0, y0) * (1 - fx) + At(light, x1, y0) * fx;
      const double bottom = At(light, x0, y1) * (1 - fx) + At(light, x1, y1) * fx;
      gain[static_cast<std::size_t>(x)] =
          kPaperLevel / std::max(floor, top * (1 - fy) + bottom * fy);
    }
    const UInt8* in = view.Row(y);
    UInt8* row = out.Row(y);
    for (Int32 x = 0; x < view.width; ++x) {
      row[x] = static_cast<UInt8>(std::min(255.0, in[x] * gain[static_cast<std::size_t>(x)] + 0.5));
    }
  }
  return out;
}

std::optional<LumaImage> EvenedIfUneven(const LumaView& area) {
  if (std::min(area.width, area.height) < kMinEvenedSide) return std::nullopt;
  const PaperLightGrid light = PaperLight(area);
  if (LightEvenness(light) >= kUnevenLight) return std::nullopt;
  return EvenedLight(area, light);
}

}  // namespace vexo::engine
