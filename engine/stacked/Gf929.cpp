#include "engine/stacked/Gf929.h"

#include <algorithm>
#include <array>

namespace vexo::engine::gf929 {
namespace {

// Powers and logarithms of the generator 3.
struct Tables {
  std::array<int, kPrime> exp{};
  std::array<int, kPrime> log{};
  Tables() {
    int value = 1;
    for (int i = 0; i < kPrime - 1; ++i) {
      exp[i] = value;
      log[value] = i;
      value = value * 3 % kPrime;
    }
    exp[kPrime - 1] = 1;
  }
};

const Tables& Field() {
  static const Tables tables;
  return tables;
}

int Add(int a, int b) { return (a + b) % kPrime; }
int Sub(int a, int b) { return (a - b + kPrime) % kPrime; }
int Mul(int a, int b) { return a * b % kPrime; }
int Pow3(int n) { return Field().exp[((n % (kPrime - 1)) + (kPrime - 1)) % (kPrime - 1)]; }
int Inv(int a) { return Field().exp[(kPrime - 1 - Field().log[a]) % (kPrime - 1)]; }

// Polynomials with the constant term first.
using Poly = std::vector<int>;

int Eval(const Poly& p, int x) {
  int value = 0;
  for (auto it = p.rbegin(); it != p.rend(); ++it) value = Add(Mul(value, x), *it);
  return value;
}

Poly MulPoly(const Poly& a, const Poly& b) {
  Poly product(a.size() + b.size() - 1, 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (std::size_t j = 0; j < b.size(); ++j)
      product[i + j] = Add(product[i + j], Mul(a[i], b[j]));
  }
  return product;
}

}  // namespace

std::vector<int> EcCodewords(std::span<const int> data, int ecCount) {
  if (ecCount <= 0) return {};
  // Generator, highest coefficient first: g[0] = 1.
  std::vector<int> g{1};
  for (int i = 1; i <= ecCount; ++i) {
    const int root = Pow3(i);
    std::vector<int> next(g.size() + 1, 0);
    for (std::size_t j = 0; j < g.size(); ++j) {
      next[j] = Add(next[j], g[j]);
      next[j + 1] = Sub(next[j + 1], Mul(g[j], root));
    }
    g = std::move(next);
  }
  std::vector<int> remainder(static_cast<std::size_t>(ecCount), 0);
  for (int d : data) {
    const int t = Add(((d % kPrime) + kPrime) % kPrime, remainder[0]);
    std::rotate(remainder.begin(), remainder.begin() + 1, remainder.end());
    remainder.back() = 0;
    for (int j = 0; j < ecCount; ++j) remainder[j] = Sub(remainder[j], Mul(t, g[j + 1]));
  }
  for (int& r : remainder) r = Sub(0, r);
  return remainder;
}

int Correct(std::vector<int>& codewords, int ecCount, std::span<const int> erasures) {
  const int n = static_cast<int>(codewords.size());
  if (ecCount <= 0 || ecCount >= n || n >= kPrime) return -1;
  for (int c : codewords) {
    if (c < 0 || c >= kPrime) return -1;
  }
  // Syndromes S_j = C(3^j), j = 1..k; the codeword at index i weighs x^(n-1-i).
  Poly syndromes(static_cast<std::size_t>(ecCount), 0);
  bool clean = true;
  for (int j = 0; j < ecCount; ++j) {
    int value = 0;
    const int x = Pow3(j + 1);
    for (int c : codewords) value = Add(Mul(value, x), c);
    syndromes[j] = value;
    clean = clean && value == 0;
  }
  if (clean) return 0;
  if (static_cast<int>(erasures.size()) > ecCount) return -1;

  // Erasure locator: product of (1 - X x) for each erased position.
  Poly erasureLocator{1};
  for (int position : erasures) {
    if (position < 0 || position >= n) return -1;
    erasureLocator = MulPoly(erasureLocator, Poly{1, Sub(0, Pow3(n - 1 - position))});
  }
  // Berlekamp-Massey on the syndromes, seeded with the erasure locator.
  Poly locator = erasureLocator;
  Poly previous = erasureLocator;
  const int e = static_cast<int>(erasures.size());
  int length = e;
  for (int step = e; step < ecCount; ++step) {
    int delta = 0;
    for (std::size_t i = 0; i < locator.size() && static_cast<int>(i) <= step; ++i) {
      delta = Add(delta, Mul(locator[i], syndromes[step - i]));
    }
    previous.insert(previous.begin(), 0);
    if (delta == 0) continue;
    Poly next = locator;
    if (next.size() < previous.size()) next.resize(previous.size(), 0);
    for (std::size_t i = 0; i < previous.size(); ++i)
      next[i] = Sub(next[i], Mul(delta, previous[i]));
    if (2 * length <= step + e) {
      length = step + 1 + e - length;
      const int inverse = Inv(delta);
      previous = locator;
      for (int& p : previous) p = Mul(p, inverse);
    }
    locator = std::move(next);
  }
  while (locator.size() > 1 && locator.back() == 0) locator.pop_back();
  const int degree = static_cast<int>(locator.size()) - 1;
  if (degree != length || 2 * (length - e) + e > ecCount) return -1;

  // Roots: position i is in error when the locator vanishes at 3^-(n-1-i).
  std::vector<int> positions;
  for (int i = 0; i < n; ++i) {
    if (Eval(locator, Pow3(-(n - 1 - i))) == 0) positions.push_back(i);
  }
  if (static_cast<int>(positions.size()) != degree) return -1;

  // Forney: value = -Omega(X^-1) / Locator'(X^-1), Omega = S(x) Locator(x) mod x^k.
  Poly omega = MulPoly(syndromes, locator);
  omega.resize(static_cast<std::size_t>(ecCount));
  Poly derivative;
  for (std::size_t i = 1; i < locator.size(); ++i) {
    derivative.push_back(Mul(static_cast<int>(i % kPrime), locator[i]));
  }
  std::vector<int> corrected = codewords;
  int changed = 0;
  for (int i : positions) {
    const int xInverse = Pow3(-(n - 1 - i));
    const int denominator = Eval(derivative, xInverse);
    if (denominator == 0) return -1;
    const int magnitude = Sub(0, Mul(Eval(omega, xInverse), Inv(denominator)));
    if (magnitude != 0) ++changed;
    corrected[i] = Sub(corrected[i], magnitude);
  }
  // Only a correction that leaves every syndrome zero is a correction.
  for (int j = 0; j < ecCount; ++j) {
    int value = 0;
    const int x = Pow3(j + 1);
    for (int c : corrected) value = Add(Mul(value, x), c);
    if (value != 0) return -1;
  }
  codewords = std::move(corrected);
  return changed;
}

}  // namespace vexo::engine::gf929
