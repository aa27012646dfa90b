#pragma once
// Reed-Solomon error correction over GF(64), the field of the Australia Post
// 4-state barcodes: primitive polynomial x^6 + x + 1, generator polynomial
// with the roots a^1 .. a^n for n parity symbols.

#include <span>

#include "Common/Types.h"

namespace vexo::engine {

inline constexpr Int32 kGf64Size = 64;

// Product in the field (the symbols are 0..63).
UInt8 Gf64Multiply(UInt8 a, UInt8 b);
// a^power, for any power >= 0.
UInt8 Gf64Power(Int32 power);

// The parity symbols of `data` (generator roots a^1 .. a^parity.size()).
void Gf64Parity(std::span<const UInt8> data, std::span<UInt8> parity);

// Corrects `codeword` (data then parity, first symbol the highest power) in
// place. Up to parityCount / 2 symbol errors are corrected; returns false, and
// leaves the codeword as it was, when the errors are more than that (as far
// as the syndromes can tell) or a symbol is not a field element.
bool Gf64Correct(std::span<UInt8> codeword, Int32 parityCount);

}  // namespace vexo::engine
