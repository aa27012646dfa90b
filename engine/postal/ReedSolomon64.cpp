#include "engine/postal/ReedSolomon64.h"

#include <algorithm>
#include <array>

namespace vexo::engine {
namespace {

constexpr UInt32 kPrimitive = 0x43;  // x^6 + x + 1
constexpr Int32 kOrder = kGf64Size - 1;
constexpr Int32 kMaxParity = 16;

struct Tables {
  std::array<UInt8, 2 * kOrder> exp{};  // doubled, so that log a + log b needs no modulo
  std::array<Int32, kGf64Size> log{};
};

constexpr Tables MakeTables() {
  Tables t;
  UInt32 x = 1;
  for (Int32 i = 0; i < kOrder; ++i) {
    t.exp[i] = static_cast<UInt8>(x);
    t.exp[i + kOrder] = static_cast<UInt8>(x);
    t.log[x] = i;
    x <<= 1;
    if ((x & kGf64Size) != 0) x ^= kPrimitive;
  }
  return t;
}
constexpr Tables kTables = MakeTables();

UInt8 Divide(UInt8 a, UInt8 b) {
  if (a == 0) return 0;
  return kTables.exp[kTables.log[a] - kTables.log[b] + kOrder];
}

// p(x) at x, coefficients lowest power first.
UInt8 Evaluate(std::span<const UInt8> p, UInt8 x) {
  UInt8 sum = 0;
  for (auto it = p.rbegin(); it != p.rend(); ++it) sum = Gf64Multiply(sum, x) ^ *it;
  return sum;
}

// Syndromes S_1 .. S_n of the codeword; true when all are zero.
bool Syndromes(std::span<const UInt8> codeword, std::span<UInt8> syndromes) {
  bool clean = true;
  for (std::size_t j = 0; j < syndromes.size(); ++j) {
    const UInt8 x = Gf64Power(static_cast<Int32>(j) + 1);
    UInt8 sum = 0;
    for (const UInt8 c : codeword) sum = Gf64Multiply(sum, x) ^ c;
    syndromes[j] = sum;
    clean = clean && sum == 0;
  }
  return clean;
}

// Berlekamp-Massey: the error locator (lowest power first) and its degree.
Int32 ErrorLocator(std::span<const UInt8> s, std::array<UInt8, kMaxParity + 1>& lambda) {
  std::array<UInt8, kMaxParity + 1> previous{}, next{};
  lambda.fill(0);
  lambda[0] = previous[0] = 1;
  Int32 degree = 0, shift = 1;
  UInt8 previousDiscrepancy = 1;
  for (std::size_t n = 0; n < s.size(); ++n) {
    UInt8 d = s[n];
    for (Int32 i = 1; i <= degree; ++i) d ^= Gf64Multiply(lambda[i], s[n - i]);
    if (d == 0) {
      ++shift;
      continue;
    }
    const UInt8 factor = Divide(d, previousDiscrepancy);
    next = lambda;
    for (std::size_t i = 0; i + shift < next.size(); ++i) {
      next[i + shift] ^= Gf64Multiply(factor, previous[i]);
    }
    if (2 * degree <= static_cast<Int32>(n)) {
      previous = lambda;
      degree = static_cast<Int32>(n) + 1 - degree;
      previousDiscrepancy = d;
      shift = 1;
    } else {
      ++shift;
    }
    lambda = next;
  }
  return degree;
}

}  // namespace

UInt8 Gf64Multiply(UInt8 a, UInt8 b) {
  if (a == 0 || b == 0) return 0;
  return kTables.exp[kTables.log[a & kOrder] + kTables.log[b & kOrder]];
}

UInt8 Gf64Power(Int32 power) { return kTables.exp[power % kOrder]; }

void Gf64Parity(std::span<const UInt8> data, std::span<UInt8> parity) {
  // The generator polynomial, highest power first: (x - a^1) .. (x - a^n).
  std::array<UInt8, kMaxParity + 1> g{};
  const std::size_t n = std::min<std::size_t>(parity.size(), kMaxParity);
  g[0] = 1;
  for (std::size_t i = 0; i < n; ++i) {
    const UInt8 root = Gf64Power(static_cast<Int32>(i) + 1);
    for (std::size_t j = i + 1; j > 0; --j) g[j] ^= Gf64Multiply(g[j - 1], root);
  }
  std::fill(parity.begin(), parity.end(), 0);
  for (const UInt8 symbol : data) {
    const UInt8 factor = symbol ^ parity[0];
    for (std::size_t j = 0; j + 1 < n; ++j)
      parity[j] = parity[j + 1] ^ Gf64Multiply(factor, g[j + 1]);
    parity[n - 1] = Gf64Multiply(factor, g[n]);
  }
}

bool Gf64Correct(std::span<UInt8> codeword, Int32 parityCount) {
  const Int32 n = static_cast<Int32>(codeword.size());
  if (parityCount <= 0 || parityCount > kMaxParity || n <= parityCount || n > kOrder) return false;
  if (std::any_of(codeword.begin(), codeword.end(), [](UInt8 c) { return c >= kGf64Size; })) {
    return false;
  }
  std::array<UInt8, kMaxParity> buffer{};
  const std::span<UInt8> s(buffer.data(), static_cast<std::size_t>(parityCount));
  if (Syndromes(codeword, s)) return true;

  std::array<UInt8, kMaxParity + 1> lambda{};
  const Int32 degree = ErrorLocator(s, lambda);
  if (degree == 0 || 2 * degree > parityCount) return false;

  // Omega(x) = S(x) Lambda(x) mod x^parityCount, S(x) = S_1 + S_2 x + ...
  std::array<UInt8, kMaxParity> omega{};
  for (Int32 i = 0; i < parityCount; ++i) {
    for (Int32 j = 0; j <= std::min(i, degree); ++j) omega[i] ^= Gf64Multiply(lambda[j], s[i - j]);
  }
  // Lambda'(x): the odd terms, one power down (characteristic 2).
  std::array<UInt8, kMaxParity> derivative{};
  for (Int32 i = 1; i <= degree; i += 2) derivative[i - 1] = lambda[i];

  std::array<UInt8, kGf64Size> corrected{};
  std::copy(codeword.begin(), codeword.end(), corrected.begin());
  Int32 found = 0;
  for (Int32 i = 0; i < n; ++i) {
    // Position i holds the power n-1-i; its locator inverse is a^-(n-1-i).
    const Int32 power = n - 1 - i;
    const UInt8 inverse = Gf64Power((kOrder - power) % kOrder);
    if (Evaluate({lambda.data(), static_cast<std::size_t>(degree) + 1}, inverse) != 0) continue;
    const UInt8 denominator =
        Evaluate({derivative.data(), static_cast<std::size_t>(degree)}, inverse);
    if (denominator == 0) return false;
    corrected[i] ^= Divide(Evaluate({omega.data(), static_cast<std::size_t>(parityCount)}, inverse),
                           denominator);
    ++found;
  }
  if (found != degree) return false;
  if (!Syndromes({corrected.data(), static_cast<std::size_t>(n)}, s)) return false;
  std::copy_n(corrected.begin(), n, codeword.begin());
  return true;
}

}  // namespace vexo::engine
