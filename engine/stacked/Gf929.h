#pragma once
// Reed-Solomon error correction over GF(929), the prime field of PDF417 and
// Micro PDF417 codewords. A symbol's codewords, read as the coefficients of a
// polynomial (first codeword highest), are a multiple of the generator
// (x - 3)(x - 3^2)...(x - 3^k) for k error-correction codewords.

#include <span>
#include <vector>

namespace vexo::engine::gf929 {

inline constexpr int kPrime = 929;

// The k error-correction codewords that follow `data`.
std::vector<int> EcCodewords(std::span<const int> data, int ecCount);

// Corrects `codewords` (data then `ecCount` error-correction codewords, each
// 0 to 928) in place. `erasures` lists positions known to be unreadable; each
// costs one error-correction codeword, an unknown error two. Returns the
// number of codewords changed, or -1 when the errors exceed what the code can
// correct (the codewords are then left as they were).
int Correct(std::vector<int>& codewords, int ecCount, std::span<const int> erasures = {});

}  // namespace vexo::engine::gf929
