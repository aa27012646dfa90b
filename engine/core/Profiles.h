#pragma once
// Reading profiles: one table of settings (Profiles.cpp), written into the
// three option blocks by GetProfileOptions and read back from them by
// FindBarcodes, so a caller's changes to the blocks take effect. The word
// layout of each block is documented in docs/engine.md.

#include "Common/Types.h"
#include "wrapper/ImagingEngine.h"

namespace vexo::engine {

inline constexpr UInt32 kProfileCount = 4;

// Direction flags (word 2 of block A, word 1 of block B).
inline constexpr UInt32 kDirectionHorizontal = 0x20;  // linear symbols at 0 and 180 degrees
inline constexpr UInt32 kDirectionVertical = 0x40;    // at 90 and 270 degrees
inline constexpr UInt32 kDirectionDiagonal = 0x80;    // turned by about 45 degrees
inline constexpr UInt32 kDirectionMask = 0xE0;

// Pass set (word 3 of block A).
inline constexpr UInt32 kPassFull = 0x1;     // the search area at full resolution
inline constexpr UInt32 kPassHalf = 0x2;     // a half-size copy: large modules, noisy scans
inline constexpr UInt32 kPassRegions = 0x4;  // crops of ink blobs: matrix symbols, missed bars
inline constexpr UInt32 kPassOtherBinarizer = 0x8;  // the full pass again, other binarizer
inline constexpr UInt32 kPassHalfLinear = 0x10;     // the half pass reads linear symbols too
inline constexpr UInt32 kPassInverted = 0x20;  // every pass again on the negative: light on dark
inline constexpr UInt32 kPassMirrored = 0x40;  // matrix symbols again on the mirror image
inline constexpr UInt32 kPassUpright = 0x80;   // small Aztec/Datamatrix crops upright, enlarged
// The negative of a page where the page as it is read nothing (a code shown
// light on dark on a screen), for the symbologies with a strong check.
inline constexpr UInt32 kPassNegativeIfNone = 0x100;
inline constexpr UInt32 kPassMask = 0x1FF;

// How symbols turned by other angles than right angles are searched (word 10
// of block A), when the diagonal direction flag is set.
enum class DiagonalMethod : UInt32 {
  FullCopy = 1,     // a copy of the search area turned by 45 degrees
  HalfCopy = 2,     // the same at half size: a quarter of the pixels
  TurnedCrops = 3,  // crops of blobs with one strong gradient direction, turned upright
};

// Settings of one read, as held by the option blocks.
struct ReadOptions {
  UInt32 profileIndex = 0;
  UInt32 directions = kDirectionHorizontal | kDirectionVertical;
  UInt32 passes = kPassFull;
  bool globalBinarizer = false;  // false: local average
  Int32 minLineCount = 2;
  UInt32 timeBudgetMs = 0;  // 0: no budget
  bool tryHarder = true;
  // Word 8 of block A: 0 turns the region crops off; any other value reads
  // every ink blob, in rank order, while the time budget lasts.
  UInt32 regionCrops = 0;
  Int32 halfPassMinSide = 0;  // the half pass runs when the shorter side is at least this
  DiagonalMethod diagonal = DiagonalMethod::TurnedCrops;
  UInt32 maxResults = 0;     // 0: all
  Int32 mergeTolerance = 8;  // pixels by which boxes are grown before overlap tests
};

// The settings of profile `index` (0..3); the caller checks the index.
const ReadOptions& ProfileSettings(UInt32 index);

// The ProfileValue that GetProfileOptions hands out for profile `index`, and
// the check FindBarcodes makes of it.
UInt32 ProfileValueOf(UInt32 index);
bool IsProfileValue(UInt32 value);

// Fills all three blocks; the caller has checked their size words.
void WriteOptionBlocks(const ReadOptions& options, ProfileOptionsA& a, ProfileOptionsB& b,
                       ProfileOptionsC& c);

// kStatusSuccess with `out` filled, or kStatusInvalidOptions for a block with
// a wrong size word or a value out of range. The directions of block A win
// over those of block B; no direction flag reads as horizontal + vertical.
EngineStatus ReadOptionBlocks(const ProfileOptionsA& a, const ProfileOptionsB& b,
                              const ProfileOptionsC& c, ReadOptions& out);

bool OptionBlockSizesValid(const ProfileOptionsA& a, const ProfileOptionsB& b,
                           const ProfileOptionsC& c);

}  // namespace vexo::engine
