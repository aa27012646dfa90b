#include "engine/stacked/Pdf417Data.h"

#include <array>

namespace vexo::engine::pdf417 {
namespace {

// Codewords 900 and above that switch modes or carry control information.
constexpr int kTextLatch = 900;
constexpr int kByteLatch = 901;
constexpr int kNumericLatch = 902;
constexpr int kByteShift = 913;
constexpr int kByteLatchSix = 924;
constexpr int kEciUser = 925;     // one codeword follows
constexpr int kEciGeneral = 926;  // two follow
constexpr int kEciCharset = 927;  // one follows
constexpr int kMacroBlock = 928;
constexpr int kMacroField = 923;
constexpr int kMacroEnd = 922;
constexpr int kReaderInit = 921;
constexpr int kLinkage = 920;
// First codeword only: Code 128 emulation; 903 carries FNC1 in first position.
constexpr int kEmulationGs1 = 903;
constexpr bool IsEmulation(int c) { return (c >= 903 && c <= 912) || c == 914 || c == 915; }

// Text compaction sub-modes and their 30 values. Values past 25 that are not
// characters are the latches and shifts named below.
enum class SubMode { Alpha, Lower, Mixed, Punct };
constexpr int kLatchLower = 27, kLatchMixed = 28, kShiftPunct = 29;  // alpha, lower
constexpr int kShiftAlpha = 27;                                      // lower
constexpr int kLatchPunct = 25, kLatchAlpha = 28;                    // mixed
constexpr int kPunctLatchAlpha = 29;                                 // punctuation
constexpr std::array<char, 25> kMixed{'0', '1', '2',  '3',  '4', '5', '6', '7', '8',
                                      '9', '&', '\r', '\t', ',', ':', '#', '-', '.',
                                      '$', '/', '+',  '%',  '*', '=', '^'};
constexpr std::array<char, 29> kPunct{';', '<',  '>',  '@', '[', '\\', ']', '_', '`', '~',
                                      '!', '\r', '\t', ',', ':', '\n', '-', '.', '$', '/',
                                      '"', '|',  '*',  '(', ')', '?',  '{', '}', '\''};

class Decoder {
 public:
  explicit Decoder(std::span<const int> codewords) : cw_(codewords) {}

  std::optional<DecodedData> Run() {
    if (!cw_.empty() && IsEmulation(cw_[0])) {
      out_.gs1 = cw_[0] == kEmulationGs1;
      ++at_;
    }
    int mode = kTextLatch;
    while (at_ < cw_.size()) {
      const int c = cw_[at_];
      if (c < kTextLatch) {
        // Data without a latch: text, the initial mode, or whichever was latched.
        if (!Compact(mode)) return std::nullopt;
        continue;
      }
      ++at_;
      pendingShift_ = false;  // a shift left at a mode change (text padding) ends there
      switch (c) {
        case kTextLatch:
          mode = c;
          subMode_ = SubMode::Alpha;
          break;
        case kByteLatch:
        case kByteLatchSix:
        case kNumericLatch:
          mode = c;
          if (!Compact(mode)) return std::nullopt;
          break;
        case kByteShift:
          if (at_ >= cw_.size() || cw_[at_] > 255) return std::nullopt;
          out_.bytes.push_back(static_cast<UInt8>(cw_[at_++]));
          break;
        case kEciCharset:
        case kEciUser:
          if (!Skip(1)) return std::nullopt;
          break;
        case kEciGeneral:
          if (!Skip(2)) return std::nullopt;
          break;
        case kMacroBlock:
          return MacroBlock() ? std::optional(out_) : std::nullopt;
        case kReaderInit:
        case kLinkage:
          break;
        default:
          return std::nullopt;  // reserved, or misplaced
      }
    }
    return out_;
  }

 private:
  bool Skip(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, ++at_) {
      if (at_ >= cw_.size() || cw_[at_] >= kTextLatch) return false;
    }
    return true;
  }

  // Reads the data codewords of `mode` up to the next control codeword.
  bool Compact(int mode) {
    std::size_t end = at_;
    while (end < cw_.size() && cw_[end] < kTextLatch) ++end;
    const std::span<const int> run = cw_.subspan(at_, end - at_);
    at_ = end;
    if (mode == kNumericLatch) return Numeric(run);
    if (mode == kByteLatch || mode == kByteLatchSix) return Bytes(run, mode == kByteLatchSix);
    for (int c : run) {
      Text(c / 30);
      Text(c % 30);
    }
    // A byte shift inside text returns to the same sub-mode.
    return true;
  }

  void Text(int value) {
    if (pendingShift_) {
      // A shifted value is one character; anything else there is padding.
      pendingShift_ = false;
      const bool alpha = shiftMode_ == SubMode::Alpha;
      if (alpha && value < 26) out_.bytes.push_back(static_cast<UInt8>('A' + value));
      if (alpha && value == 26) out_.bytes.push_back(' ');
      if (!alpha && value < kPunctLatchAlpha)
        out_.bytes.push_back(static_cast<UInt8>(kPunct[value]));
      return;
    }
    const SubMode mode = subMode_;
    switch (mode) {
      case SubMode::Alpha:
      case SubMode::Lower:
        if (value < 26) {
          out_.bytes.push_back(static_cast<UInt8>((mode == SubMode::Alpha ? 'A' : 'a') + value));
        } else if (value == 26) {
          out_.bytes.push_back(' ');
        } else if (value == kLatchLower && mode == SubMode::Alpha) {
          subMode_ = SubMode::Lower;
        } else if (value == kShiftAlpha) {
          Shift(SubMode::Alpha);
        } else if (value == kLatchMixed) {
          subMode_ = SubMode::Mixed;
        } else {
          Shift(SubMode::Punct);
        }
        break;
      case SubMode::Mixed:
        if (value < kLatchPunct) {
          out_.bytes.push_back(static_cast<UInt8>(kMixed[value]));
        } else if (value == kLatchPunct) {
          subMode_ = SubMode::Punct;
        } else if (value == 26) {
          out_.bytes.push_back(' ');
        } else if (value == kLatchLower) {
          subMode_ = SubMode::Lower;
        } else if (value == kLatchAlpha) {
          subMode_ = SubMode::Alpha;
        } else {
          Shift(SubMode::Punct);
        }
        break;
      case SubMode::Punct:
        if (value < kPunctLatchAlpha) {
          out_.bytes.push_back(static_cast<UInt8>(kPunct[value]));
        } else {
          subMode_ = SubMode::Alpha;
        }
        break;
    }
  }

  void Shift(SubMode mode) {
    pendingShift_ = true;
    shiftMode_ = mode;
  }

  // Five codewords in base 900 give six bytes; with latch 901 the last group,
  // shorter than six bytes, has one byte per codeword.
  bool Bytes(std::span<const int> run, bool sixes) {
    std::size_t i = 0;
    while (i + 5 <= run.size() && (sixes || i + 5 < run.size())) {
      UInt64 value = 0;
      for (std::size_t k = 0; k < 5; ++k) value = value * 900 + static_cast<UInt64>(run[i + k]);
      if (value >> 48 != 0) return false;
      for (int shift = 40; shift >= 0; shift -= 8) {
        out_.bytes.push_back(static_cast<UInt8>(value >> shift));
      }
      i += 5;
    }
    if (sixes && i != run.size()) return false;
    for (; i < run.size(); ++i) {
      if (run[i] > 255) return false;
      out_.bytes.push_back(static_cast<UInt8>(run[i]));
    }
    return true;
  }

  // Up to 15 codewords in base 900 give the digits after a leading 1.
  bool Numeric(std::span<const int> run) {
    for (std::size_t start = 0; start < run.size(); start += 15) {
      const std::size_t count = std::min<std::size_t>(15, run.size() - start);
      std::vector<UInt8> digits{0};  // least significant first
      for (std::size_t k = 0; k < count; ++k) {
        int carry = run[start + k];
        for (UInt8& d : digits) {
          const int v = d * 900 + carry;
          d = static_cast<UInt8>(v % 10);
          carry = v / 10;
        }
        for (; carry > 0; carry /= 10) digits.push_back(static_cast<UInt8>(carry % 10));
      }
      if (digits.size() < 2 || digits.back() != 1) return false;
      for (std::size_t k = digits.size() - 1; k-- > 0;) {
        out_.bytes.push_back(static_cast<UInt8>('0' + digits[k]));
      }
    }
    return true;
  }

  // Segment index (two codewords, five digits), file id codewords, then
  // optional fields (923 and a designator) up to the end or a terminator.
  bool MacroBlock() {
    if (at_ + 2 > cw_.size() || cw_[at_] >= kTextLatch || cw_[at_ + 1] >= kTextLatch) return false;
    // Five digits in numeric compaction: 1ddddd in base 900.
    const int index = cw_[at_] * 900 + cw_[at_ + 1] - 100000;
    if (index < 0 || index >= 100000) return false;
    out_.macro = true;
    out_.segmentIndex = index;
    at_ += 2;
    for (; at_ < cw_.size(); ++at_) {
      const int c = cw_[at_];
      if (c == kMacroEnd) return at_ + 1 == cw_.size();
      if (c >= kTextLatch && c != kMacroField && c != kTextLatch && c != kNumericLatch &&
          c != kByteLatch && c != kByteLatchSix) {
        return false;
      }
    }
    return true;
  }

  std::span<const int> cw_;
  std::size_t at_ = 0;
  DecodedData out_;
  SubMode subMode_ = SubMode::Alpha;
  SubMode shiftMode_ = SubMode::Alpha;
  bool pendingShift_ = false;
};

}  // namespace

std::optional<DecodedData> DecodeData(std::span<const int> codewords) {
  return Decoder(codewords).Run();
}

}  // namespace vexo::engine::pdf417
