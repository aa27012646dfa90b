#include "engine/core/Profiles.h"

#include <array>
#include <limits>

#include "engine/core/Status.h"

namespace vexo::engine {
namespace {

// Word indexes of block A.
enum WordA : std::size_t {
  kASize,
  kAProfile,
  kADirections,  // kDirectionWordA
  kAPasses,
  kABinarizer,
  kAMinLineCount,
  kATimeBudget,
  kAEffort,
  kARegionCrops,
  kAHalfPassMinSide,
  kADiagonalMethod,
};
static_assert(kADirections == kDirectionWordA);
// Block B: size, directions. Block C: size, result limit, merge tolerance.
enum WordB : std::size_t { kBSize, kBDirections };
static_assert(kBDirections == kDirectionWordB);
enum WordC : std::size_t { kCSize, kCMaxResults, kCMergeTolerance };

constexpr UInt32 kProfileValueBase = 0x50460000;
constexpr UInt32 kMaxMinLineCount = 20;
constexpr UInt32 kMaxRegionWord = 4096;
// What the profiles write into word 8: every blob (the word once capped them).
constexpr UInt32 kEveryBlob = kMaxRegionWord;
constexpr UInt32 kMaxMergeTolerance = 256;

using D = DiagonalMethod;
constexpr UInt32 kThorough = kPassFull | kPassHalf | kPassRegions | kPassOtherBinarizer |
                             kPassHalfLinear | kPassInverted | kPassMirrored | kPassUpright;

// The four profiles, measured on an A4 300-dpi page (docs/engine.md). Index 0
// is the default and reads a page completely.
// Columns: index, directions, passes, global binarizer, min line count, time
// budget ms, try harder, region crops, half pass min side, diagonal method,
// max results, merge tolerance.
constexpr std::array<ReadOptions, kProfileCount> kProfiles{{
    {0, 0x60, kPassFull | kPassHalf | kPassHalfLinear | kPassRegions | kPassNegativeIfNone, false,
     2, 20000, true, kEveryBlob, 600, D::TurnedCrops, 0, 8},
    {1, 0x60, kPassHalf | kPassHalfLinear | kPassRegions | kPassNegativeIfNone, false, 2, 10000,
     true, kEveryBlob, 600, D::TurnedCrops, 0, 8},
    {2, 0x60, kThorough, false, 2, 30000, true, kEveryBlob, 600, D::TurnedCrops, 0, 8},
    {3, 0xE0, kThorough, false, 2, 60000, true, kEveryBlob, 400, D::TurnedCrops, 0, 8},
}};

}  // namespace

const ReadOptions& ProfileSettings(UInt32 index) {
  return kProfiles[index < kProfileCount ? index : 0];
}

UInt32 ProfileValueOf(UInt32 index) { return kProfileValueBase | index; }

bool IsProfileValue(UInt32 value) {
  return (value & 0xFFFF0000) == kProfileValueBase && (value & 0xFFFF) < kProfileCount;
}

bool OptionBlockSizesValid(const ProfileOptionsA& a, const ProfileOptionsB& b,
                           const ProfileOptionsC& c) {
  return a.words[kASize] == sizeof a && b.words[kBSize] == sizeof b && c.words[kCSize] == sizeof c;
}

void WriteOptionBlocks(const ReadOptions& options, ProfileOptionsA& a, ProfileOptionsB& b,
                       ProfileOptionsC& c) {
  a = {};
  a.words[kASize] = sizeof a;
  a.words[kAProfile] = options.profileIndex;
  a.words[kADirections] = options.directions;
  a.words[kAPasses] = options.passes;
  a.words[kABinarizer] = options.globalBinarizer ? 1 : 0;
  a.words[kAMinLineCount] = static_cast<UInt32>(options.minLineCount);
  a.words[kATimeBudget] = options.timeBudgetMs;
  a.words[kAEffort] = options.tryHarder ? 1 : 0;
  a.words[kARegionCrops] = options.regionCrops;
  a.words[kAHalfPassMinSide] = static_cast<UInt32>(options.halfPassMinSide);
  a.words[kADiagonalMethod] = static_cast<UInt32>(options.diagonal);
  b = {};
  b.words[kBSize] = sizeof b;
  b.words[kBDirections] = options.directions;
  c = {};
  c.words[kCSize] = sizeof c;
  c.words[kCMaxResults] = options.maxResults;
  c.words[kCMergeTolerance] = static_cast<UInt32>(options.mergeTolerance);
}

EngineStatus ReadOptionBlocks(const ProfileOptionsA& a, const ProfileOptionsB& b,
                              const ProfileOptionsC& c, ReadOptions& out) {
  if (!OptionBlockSizesValid(a, b, c)) return kStatusInvalidOptions;
  const UInt32* w = a.words;
  const bool valid =
      w[kAProfile] < kProfileCount && w[kAPasses] != 0 && (w[kAPasses] & ~kPassMask) == 0 &&
      w[kABinarizer] <= 1 && w[kAMinLineCount] >= 1 && w[kAMinLineCount] <= kMaxMinLineCount &&
      w[kAEffort] <= 1 && w[kARegionCrops] <= kMaxRegionWord &&
      w[kAHalfPassMinSide] <= static_cast<UInt32>(std::numeric_limits<Int32>::max()) &&
      w[kADiagonalMethod] >= static_cast<UInt32>(DiagonalMethod::FullCopy) &&
      w[kADiagonalMethod] <= static_cast<UInt32>(DiagonalMethod::TurnedCrops) &&
      c.words[kCMergeTolerance] <= kMaxMergeTolerance;
  if (!valid) return kStatusInvalidOptions;
  out.profileIndex = w[kAProfile];
  // Block B repeats the directions for callers that set only one block; when
  // the two differ, block A decides.
  out.directions = w[kADirections] & kDirectionMask;
  if (out.directions == 0) out.directions = kDirectionHorizontal | kDirectionVertical;
  out.passes = w[kAPasses];
  out.globalBinarizer = w[kABinarizer] == 1;
  out.minLineCount = static_cast<Int32>(w[kAMinLineCount]);
  out.timeBudgetMs = w[kATimeBudget];
  out.tryHarder = w[kAEffort] == 1;
  out.regionCrops = w[kARegionCrops];
  out.halfPassMinSide = static_cast<Int32>(w[kAHalfPassMinSide]);
  out.diagonal = static_cast<DiagonalMethod>(w[kADiagonalMethod]);
  out.maxResults = c.words[kCMaxResults];
  out.mergeTolerance = static_cast<Int32>(c.words[kCMergeTolerance]);
  return kStatusSuccess;
}

}  // namespace vexo::engine
