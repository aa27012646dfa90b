// The Intelligent Mail barcode, as the US Postal Service's standard
// USPS-B-3200 describes it. Tracking and routing digits make one number of up
// to 102 bits; an 11-bit CRC of it is the frame check sequence (FCS). The
// number is split into ten codewords A to J (A 0-658, B to I 0-1364, J
// 0-635); J is doubled and A gains 659 when FCS bit 10 is set. Each codeword
// is a 13-bit character, 5 of 13 bits set for 0-1286 and 2 of 13 for
// 1287-1364; character i is inverted when FCS bit i is set. Each of the 65
// bars takes its descender from one character bit and its ascender from
// another.
#include "engine/postal/Usps4cb.h"

#include <array>
#include <bit>

namespace vexo::engine {
namespace {

constexpr Int32 kBars = 65;
constexpr Int32 kCharacters = 10;
constexpr Int32 kCharacterBits = 13;
constexpr UInt32 kCharacterMask = (1u << kCharacterBits) - 1;
constexpr Int32 kFiveOf13Count = 1287;
constexpr Int32 kTwoOf13Count = 78;
constexpr UInt32 kCodewordARange = 659;
constexpr UInt32 kCodewordRange = 1365;  // B to I
constexpr UInt32 kCodewordJRange = 636;
constexpr Int32 kTrackingDigits = 20;
constexpr UInt32 kFcsPolynomial = 0xF35;

// Characters A to J by their index.
enum : UInt8 { A, B, C, D, E, F, G, H, I, J };
struct BarSource {
  UInt8 descender, descenderBit, ascender, ascenderBit;
};
// Bar 1 to bar 65: the character bits of its descender and its ascender.
constexpr std::array<BarSource, kBars> kBarSources{{
    {H, 2, E, 3},  {B, 10, A, 0},  {J, 12, C, 8}, {F, 5, G, 11}, {I, 9, D, 1},  {A, 1, F, 12},
    {C, 5, B, 8},  {E, 4, J, 11},  {G, 3, I, 10}, {D, 9, H, 6},  {F, 11, B, 4}, {I, 5, C, 12},
    {J, 10, A, 2}, {H, 1, G, 7},   {D, 6, E, 9},  {A, 3, I, 6},  {G, 4, C, 7},  {B, 1, J, 9},
    {H, 10, F, 2}, {E, 0, D, 8},   {G, 2, A, 4},  {I, 11, B, 0}, {J, 8, D, 12}, {C, 6, H, 7},
    {F, 1, E, 10}, {B, 12, G, 9},  {H, 3, I, 0},  {F, 8, J, 7},  {E, 6, C, 10}, {D, 4, A, 5},
    {I, 4, F, 7},  {H, 11, B, 9},  {G, 0, J, 6},  {A, 6, E, 8},  {C, 1, D, 2},  {F, 9, I, 12},
    {E, 11, G, 1}, {J, 5, H, 4},   {D, 3, B, 2},  {A, 7, C, 0},  {B, 3, E, 1},  {G, 10, D, 5},
    {I, 7, J, 4},  {C, 11, F, 6},  {A, 8, H, 12}, {E, 2, I, 1},  {F, 10, D, 0}, {J, 3, A, 9},
    {G, 5, C, 4},  {H, 8, B, 7},   {F, 0, E, 5},  {C, 3, A, 10}, {G, 12, J, 2}, {D, 11, B, 6},
    {I, 8, H, 9},  {F, 4, A, 11},  {B, 5, C, 2},  {J, 1, E, 12}, {I, 3, G, 6},  {H, 0, D, 7},
    {E, 7, H, 5},  {A, 12, B, 11}, {C, 9, J, 0},  {G, 8, F, 3},  {D, 10, I, 2},
}};

constexpr UInt32 Reversed13(UInt32 value) {
  UInt32 reversed = 0;
  for (Int32 bit = 0; bit < kCharacterBits; ++bit) reversed |= ((value >> bit) & 1) << (12 - bit);
  return reversed;
}

// The codeword of each 13-bit character, -1 for none. The characters with n of
// 13 bits set are listed in counting order; a character that is not its own
// mirror image comes with its mirror image, the pair at the front of the
// list, and a character that is its own mirror image goes to the back of the
// list, from the end forwards. 5 of 13 gives codewords 0-1286, 2 of 13 gives
// 1287-1364.
constexpr std::array<Int16, 1u << kCharacterBits> kCodewordOf = [] {
  std::array<Int16, 1u << kCharacterBits> table{};
  table.fill(-1);
  const auto fill = [&](Int32 bitsSet, Int32 first, Int32 count) {
    Int32 front = first, back = first + count - 1;
    for (UInt32 c = 0; c <= kCharacterMask; ++c) {
      if (std::popcount(c) != bitsSet) continue;
      const UInt32 mirror = Reversed13(c);
      if (mirror < c) continue;
      if (mirror == c) {
        table[c] = static_cast<Int16>(back--);
      } else {
        table[c] = static_cast<Int16>(front++);
        table[mirror] = static_cast<Int16>(front++);
      }
    }
  };
  fill(5, 0, kFiveOf13Count);
  fill(2, kFiveOf13Count, kTwoOf13Count);
  return table;
}();

// An unsigned number of up to 128 bits, four 32-bit limbs, lowest first.
struct Wide {
  std::array<UInt32, 4> limbs{};

  bool MultiplyAdd(UInt32 factor, UInt32 addend) {
    UInt64 carry = addend;
    for (UInt32& limb : limbs) {
      const UInt64 v = static_cast<UInt64>(limb) * factor + carry;
      limb = static_cast<UInt32>(v);
      carry = v >> 32;
    }
    return carry == 0;
  }
  UInt32 DivideBy(UInt32 divisor) {
    UInt64 remainder = 0;
    for (auto it = limbs.rbegin(); it != limbs.rend(); ++it) {
      const UInt64 v = (remainder << 32) | *it;
      *it = static_cast<UInt32>(v / divisor);
      remainder = v % divisor;
    }
    return static_cast<UInt32>(remainder);
  }
  UInt8 Byte(Int32 index) const {  // 0 is the lowest
    return static_cast<UInt8>(limbs[index / 4] >> (8 * (index % 4)));
  }
};

// The 11-bit CRC of the 102-bit number, taken as 13 bytes, highest first,
// without the two unused top bits.
UInt32 FrameCheck(const Wide& number) {
  UInt32 fcs = 0x7FF;
  for (Int32 byte = 12; byte >= 0; --byte) {
    const bool top = byte == 12;
    UInt32 data = static_cast<UInt32>(number.Byte(byte)) << (top ? 5 : 3);
    for (Int32 bit = top ? 2 : 0; bit < 8; ++bit) {
      fcs = ((fcs ^ data) & 0x400) != 0 ? (fcs << 1) ^ kFcsPolynomial : fcs << 1;
      fcs &= 0x7FF;
      data <<= 1;
    }
  }
  return fcs;
}

// Routing numbers: none is 0; 5, 9 and 11 digits follow each other.
struct RoutingRange {
  Int32 digits;
  UInt64 first;  // the number of the routing code 0...0
};
constexpr std::array<RoutingRange, 4> kRoutingRanges{{
    {0, 0},
    {5, 1},
    {9, 100'001},
    {11, 1'000'100'001},
}};
constexpr UInt64 kRoutingEnd = 101'000'100'001;

}  // namespace

bool DecodeUsps4cb(std::span<const BarState> bars, std::vector<UInt8>& content) {
  if (bars.size() != kBars) return false;
  std::array<UInt32, kCharacters> characters{};
  for (Int32 i = 0; i < kBars; ++i) {
    const BarSource& source = kBarSources[i];
    const BarState s = bars[i];
    if (s == BarState::Full || s == BarState::Descender) {
      characters[source.descender] |= 1u << source.descenderBit;
    }
    if (s == BarState::Full || s == BarState::Ascender) {
      characters[source.ascender] |= 1u << source.ascenderBit;
    }
  }
  std::array<UInt32, kCharacters> codewords{};
  UInt32 fcs = 0;
  for (Int32 i = 0; i < kCharacters; ++i) {
    Int32 codeword = kCodewordOf[characters[i]];
    if (codeword < 0) {
      codeword = kCodewordOf[~characters[i] & kCharacterMask];
      if (codeword < 0) return false;
      fcs |= 1u << i;
    }
    codewords[i] = static_cast<UInt32>(codeword);
  }
  if (codewords[J] % 2 != 0) return false;
  codewords[J] /= 2;
  if (codewords[A] >= kCodewordARange) {
    codewords[A] -= kCodewordARange;
    fcs |= 0x400;
  }
  if (codewords[A] >= kCodewordARange || codewords[J] >= kCodewordJRange) return false;

  Wide number;
  number.limbs[0] = codewords[A];
  for (Int32 i = B; i <= I; ++i) number.MultiplyAdd(kCodewordRange, codewords[i]);
  number.MultiplyAdd(kCodewordJRange, codewords[J]);
  if (FrameCheck(number) != fcs) return false;

  // Tracking: the last 18 digits, then the second (0 to 4), then the first.
  std::array<UInt8, kTrackingDigits> tracking{};
  for (Int32 i = kTrackingDigits - 1; i >= 2; --i) {
    tracking[i] = static_cast<UInt8>('0' + number.DivideBy(10));
  }
  tracking[1] = static_cast<UInt8>('0' + number.DivideBy(5));
  tracking[0] = static_cast<UInt8>('0' + number.DivideBy(10));
  if (number.limbs[2] != 0 || number.limbs[3] != 0) return false;
  const UInt64 routing = static_cast<UInt64>(number.limbs[1]) << 32 | number.limbs[0];
  if (routing >= kRoutingEnd) return false;
  const RoutingRange* range = &kRoutingRanges[0];
  for (const RoutingRange& r : kRoutingRanges) {
    if (routing >= r.first) range = &r;
  }
  std::vector<UInt8> text(tracking.begin(), tracking.end());
  UInt64 code = routing - range->first;
  std::vector<UInt8> digits(static_cast<std::size_t>(range->digits));
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    *it = static_cast<UInt8>('0' + code % 10);
    code /= 10;
  }
  text.insert(text.end(), digits.begin(), digits.end());
  content = std::move(text);
  return true;
}

}  // namespace vexo::engine
