#include "engine/image/BarProfile.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <tuple>
#include <utility>

namespace vexo::engine {
namespace {

using Complex = std::complex<double>;

// A row takes part in the mean when it agrees with the mean line at least
// this much (correlation), relative to the row that agrees most; gaps of a
// few rows (a scratch, a dust speck) do not end the band.
constexpr double kRowAgreement = 0.5;
constexpr double kMinAgreement = 0.2;
constexpr Int32 kMaxRowGap = 3;
// The bars may lean by up to this much per row once the crop is turned by
// the blob's direction rounded to a quarter turn (about 6 degrees).
constexpr double kMaxLean = 0.1;
// The ink and paper levels of a line: these shares of its samples are
// darker than the ink level, lighter than the paper level.
constexpr double kLevelShare = 0.05;
// Drawn levels of ink and paper.
constexpr UInt8 kDrawnInk = 24, kDrawnPaper = 232;

std::size_t Size(Int32 n) { return static_cast<std::size_t>(n); }

// Row y sampled at x + shift for every column x (linear, held at the ends).
void ShiftedRow(const LumaImage& image, Int32 y, double shift, std::vector<double>& out) {
  const UInt8* row = image.Row(y);
  const Int32 w = image.width;
  out.resize(Size(w));
  const auto whole = static_cast<Int32>(std::floor(shift));
  const double part = shift - whole;
  for (Int32 x = 0; x < w; ++x) {
    const Int32 a = std::clamp(x + whole, 0, w - 1), b = std::clamp(x + whole + 1, 0, w - 1);
    out[Size(x)] = row[a] + (row[b] - row[a]) * part;
  }
}

// The mean of rows [top, bottom), each row y shifted by lean * y.
std::vector<double> MeanLine(const LumaImage& image, Int32 top, Int32 bottom, double lean) {
  std::vector<double> mean(Size(image.width), 0.0), row;
  for (Int32 y = top; y < bottom; ++y) {
    ShiftedRow(image, y, lean * y, row);
    for (std::size_t x = 0; x < mean.size(); ++x) mean[x] += row[x];
  }
  for (double& v : mean) v /= std::max(bottom - top, 1);
  return mean;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const auto n = static_cast<double>(a.size());
  double ma = 0, mb = 0;
  for (std::size_t i = 0; i < a.size(); ++i) ma += a[i], mb += b[i];
  ma /= n, mb /= n;
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// The longest band of rows that agree with `mean`, as [top, bottom); an
// empty band when none does.
std::pair<Int32, Int32> AgreeingBand(const LumaImage& image, const std::vector<double>& mean,
                                     double lean) {
  std::vector<double> agreement(Size(image.height)), row;
  for (Int32 y = 0; y < image.height; ++y) {
    ShiftedRow(image, y, lean * y, row);
    agreement[Size(y)] = Correlation(row, mean);
  }
  const double best = *std::max_element(agreement.begin(), agreement.end());
  const double least = std::max(kMinAgreement, kRowAgreement * best);
  std::pair<Int32, Int32> band{0, 0};
  for (Int32 y = 0; y < image.height;) {
    if (agreement[Size(y)] < least) {
      ++y;
      continue;
    }
    Int32 end = y + 1, gap = 0;
    for (Int32 z = end; z < image.height && gap <= kMaxRowGap; ++z) {
      if (agreement[Size(z)] >= least) {
        end = z + 1, gap = 0;
      } else {
        ++gap;
      }
    }
    if (end - y > band.second - band.first) band = {y, end};
    y = end;
  }
  return band;
}

// The shift (within +-range, to a fraction of a sample) that best lays `b`
// over `a`: b(x + shift) ~ a(x).
double BestShift(const std::vector<double>& a, const std::vector<double>& b, Int32 range) {
  const auto n = static_cast<Int32>(a.size());
  double ma = 0, mb = 0;
  for (Int32 i = 0; i < n; ++i) ma += a[Size(i)], mb += b[Size(i)];
  ma /= n, mb /= n;
  std::vector<double> score(Size(2 * range + 1));
  for (Int32 d = -range; d <= range; ++d) {
    double s = 0;
    for (Int32 i = std::max(0, -d); i < std::min(n, n - d); ++i) {
      s += (a[Size(i)] - ma) * (b[Size(i + d)] - mb);
    }
    score[Size(d + range)] = s;
  }
  const auto top = static_cast<Int32>(std::max_element(score.begin(), score.end()) - score.begin());
  double shift = top - range;
  if (top > 0 && top < 2 * range) {
    const double l = score[Size(top - 1)], c = score[Size(top)], r = score[Size(top + 1)];
    const double curve = l - 2 * c + r;
    if (curve < 0) shift += 0.5 * (l - r) / curve;
  }
  return shift;
}

// In-place radix-2 transform; `inverse` scales by 1/n.
void Transform(std::vector<Complex>& a, bool inverse) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double angle = 2 * std::numbers::pi / static_cast<double>(len) * (inverse ? 1 : -1);
    const Complex step(std::cos(angle), std::sin(angle));
    for (std::size_t i = 0; i < n; i += len) {
      Complex w(1);
      for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
        const Complex u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
  if (inverse) {
    for (Complex& c : a) c /= static_cast<double>(n);
  }
}

// `line` filtered by `gain` (of the frequency in cycles per sample), the
// line continued smoothly from its last sample back to its first so that the
// transform's wrap makes no edge.
template <typename Gain>
std::vector<double> Filtered(const std::vector<double>& line, Gain gain) {
  const std::size_t n = line.size();
  if (n == 0) return {};
  std::size_t size = 1;
  while (size < n + std::max<std::size_t>(64, n / 4)) size <<= 1;
  std::vector<Complex> a(size);
  for (std::size_t i = 0; i < n; ++i) a[i] = line[i];
  const std::size_t tail = size - n;
  for (std::size_t i = 0; i < tail; ++i) {
    const double t = 0.5 - 0.5 * std::cos(std::numbers::pi * (i + 1.0) / (tail + 1.0));
    a[n + i] = line[n - 1] + (line[0] - line[n - 1]) * t;
  }
  Transform(a, false);
  for (std::size_t k = 0; k < size; ++k) {
    a[k] *= gain(static_cast<double>(std::min(k, size - k)) / static_cast<double>(size));
  }
  Transform(a, true);
  std::vector<double> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = a[i].real();
  return out;
}

double GaussianGain(double sigma, double frequency) {
  return std::exp(-2 * std::numbers::pi * std::numbers::pi * sigma * sigma * frequency * frequency);
}

// The ink and paper levels of a line.
std::pair<double, double> Levels(std::vector<double> line) {
  const auto at = static_cast<std::ptrdiff_t>(kLevelShare * static_cast<double>(line.size()));
  std::nth_element(line.begin(), line.begin() + at, line.end());
  const double ink = line[Size(static_cast<Int32>(at))];
  std::nth_element(line.begin(), line.end() - 1 - at, line.end());
  return {ink, *(line.end() - 1 - at)};
}

}  // namespace

BarProfile MeanAcrossBars(const LumaImage& image, Int32 minRows) {
  BarProfile profile;
  if (image.width < 8 || image.height < std::max(minRows, 2)) return profile;
  std::vector<double> mean = MeanLine(image, 0, image.height, 0);
  auto [top, bottom] = AgreeingBand(image, mean, 0);
  double lean = 0;
  // Twice: the lean measured between the band's halves, then the band found
  // again with the rows laid straight.
  for (int pass = 0; pass < 2; ++pass) {
    if (bottom - top < minRows) return profile;
    const Int32 middle = (top + bottom) / 2, half = (bottom - top) / 2;
    const auto range = static_cast<Int32>(std::ceil(kMaxLean * half)) + 2;
    lean += BestShift(MeanLine(image, top, middle, lean), MeanLine(image, middle, bottom, lean),
                      range) /
            half;
    if (std::abs(lean) > kMaxLean) return profile;
    std::tie(top, bottom) = AgreeingBand(image, MeanLine(image, top, bottom, lean), lean);
  }
  if (bottom - top < minRows) return profile;
  mean = MeanLine(image, top, bottom, lean);
  std::vector<double> row;
  double residual = 0;
  for (Int32 y = top; y < bottom; ++y) {
    ShiftedRow(image, y, lean * y, row);
    for (std::size_t x = 0; x < row.size(); ++x)
      residual += (row[x] - mean[x]) * (row[x] - mean[x]);
  }
  profile.noise = std::sqrt(residual / (static_cast<double>(bottom - top) * image.width));
  profile.values = std::move(mean);
  profile.top = top;
  profile.bottom = bottom;
  profile.lean = lean;
  return profile;
}

std::vector<double> GaussianBlurred(const std::vector<double>& line, double sigma) {
  return Filtered(line, [sigma](double f) { return GaussianGain(sigma, f); });
}

std::vector<double> Deblurred(const std::vector<double>& line, double sigma, double noiseShare) {
  // Gain 1 at zero frequency, so the levels stay where they were.
  return Filtered(line, [sigma, noiseShare](double f) {
    const double h = GaussianGain(sigma, f);
    return h / (h * h + noiseShare * (1 - h * h));
  });
}

std::vector<RestoredBars> RestoredLines(const BarProfile& profile,
                                        const std::vector<double>& sigmas) {
  std::vector<RestoredBars> out;
  if (profile.values.empty() || profile.bottom <= profile.top) return out;
  const auto [ink, paper] = Levels(profile.values);
  const double contrast = paper - ink;
  if (contrast <= 0) return out;
  const double lineNoise = profile.noise * profile.noise / (profile.bottom - profile.top);
  const double noiseShare = std::max(lineNoise / (contrast * contrast / 4), 1e-6);
  std::vector<std::pair<double, RestoredBars>> scored;
  for (const double sigma : sigmas) {
    RestoredBars r{Deblurred(profile.values, sigma, noiseShare), sigma};
    double distance = 0;
    for (const double v : r.line) {
      const double t = (v - ink) / contrast;
      distance += std::min(t * t, (1 - t) * (1 - t));
    }
    scored.emplace_back(distance, std::move(r));
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [distance, r] : scored) out.push_back(std::move(r));
  return out;
}

LumaImage DrawnBars(const std::vector<double>& line, Int32 factor, Int32 rows, BarEdges edges) {
  LumaImage image;
  if (line.empty() || factor <= 0 || rows <= 0) return image;
  const auto [ink, paper] = Levels(line);
  const double middle = (ink + paper) / 2;
  image.width = static_cast<Int32>(line.size()) * factor;
  image.height = rows;
  image.pixels.resize(Size(image.width) * Size(rows));
  UInt8* first = image.Row(0);
  const Int32 last = static_cast<Int32>(line.size()) - 1;
  for (Int32 x = 0; x < image.width; ++x) {
    double value = line[Size(x / factor)];
    if (edges == BarEdges::BetweenSamples) {
      // The pixel's centre between the two samples around it.
      const double at = std::clamp((x + 0.5) / factor - 0.5, 0.0, static_cast<double>(last));
      const auto i = std::min(static_cast<Int32>(at), std::max(last - 1, 0));
      const double f = std::min(at - i, 1.0);
      value = line[Size(i)] * (1 - f) + line[Size(std::min(i + 1, last))] * f;
    }
    first[x] = value < middle ? kDrawnInk : kDrawnPaper;
  }
  for (Int32 y = 1; y < rows; ++y) std::copy(first, first + image.width, image.Row(y));
  return image;
}

}  // namespace vexo::engine
