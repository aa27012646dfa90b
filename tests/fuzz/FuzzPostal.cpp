// Fuzz target: the postal decoders over bar-state sequences. Each byte is one
// bar (its low two bits: full, ascender, descender, tracker); every decoder
// reads the bars and the bars turned over. Besides "no crash", what a decoder
// reads must have its symbology's form, and whatever the Reed-Solomon decoder
// calls corrected (the bytes as GF(64) symbols) must carry its own parity.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/postal/PostalReader.h"
#include "engine/postal/ReedSolomon64.h"

namespace {

using vexo::engine::BarState;
using vexo::engine::Symbology;

constexpr std::size_t kMaxBars = 128;
constexpr int kParity = 4;

bool Digits(const std::vector<std::uint8_t>& content) {
  return std::all_of(content.begin(), content.end(),
                     [](std::uint8_t c) { return c >= '0' && c <= '9'; });
}

void Check(Symbology symbology, const std::vector<std::uint8_t>& content) {
  const std::size_t n = content.size();
  bool fits = true;
  switch (symbology) {
    case Symbology::PostNet:
      fits = Digits(content) && (n == 5 || n == 9 || n == 11);
      break;
    case Symbology::Planet:
      fits = Digits(content) && (n == 11 || n == 13);
      break;
    case Symbology::Usps4cb:
      fits = Digits(content) && (n == 20 || n == 25 || n == 29 || n == 31);
      break;
    case Symbology::AustraliaPost:
      fits = n >= 8 && Digits({content.begin(), content.begin() + 8});
      break;
    default:
      fits = n >= 1;
      break;
  }
  if (!fits) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t count = std::min(size, kMaxBars);
  std::vector<BarState> bars(count);
  for (std::size_t i = 0; i < count; ++i) bars[i] = static_cast<BarState>(data[i] & 3);
  const std::vector<BarState> turned = vexo::engine::TurnedOver(bars);
  for (const Symbology s : {Symbology::PostNet, Symbology::Planet, Symbology::AustraliaPost,
                            Symbology::Rm4scc, Symbology::Usps4cb}) {
    const vexo::engine::PostalDecoder decode = vexo::engine::PostalDecoderOf(s);
    for (const std::vector<BarState>* sequence : {&std::as_const(bars), &turned}) {
      std::vector<std::uint8_t> content;
      if (decode(*sequence, content)) Check(s, content);
    }
  }

  // The same bytes as a shortened Reed-Solomon codeword.
  std::array<std::uint8_t, vexo::engine::kGf64Size - 1> codeword{};
  const std::size_t length = std::min(size, codeword.size());
  for (std::size_t i = 0; i < length; ++i) codeword[i] = data[i] & 63;
  const std::span<std::uint8_t> word(codeword.data(), length);
  if (length > kParity && vexo::engine::Gf64Correct(word, kParity)) {
    std::array<std::uint8_t, kParity> parity{};
    vexo::engine::Gf64Parity(word.first(length - kParity), parity);
    if (!std::equal(parity.begin(), parity.end(), word.end() - kParity)) std::abort();
  }
  return 0;
}
