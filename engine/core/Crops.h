#pragma once
// The crops that the region pass and the turned-crop diagonal method read:
// which ink blob gets which crop, how the crop is cut, padded and turned, and
// the Maxi Code special cases (a tight crop read again after each quarter
// turn, and a coarser blob search that finds large symbols whole). The pass
// loop (PageReader.cpp) reads each crop through CropReader.

#include <optional>
#include <vector>

#include "Common/Types.h"
#include "engine/core/LumaView.h"
#include "engine/core/PassPlan.h"
#include "engine/core/Profiles.h"
#include "engine/core/RegionFinder.h"
#include "engine/core/ViewTransform.h"

namespace vexo::engine {

// What the crops need from the pass loop.
class CropReader {
 public:
  // Reads `view`, whose points map to the search area by `viewToArea`, with
  // every reader of a symbology of `wanted`; how many detections it took.
  virtual int Read(const LumaView& view, const AffineMap& viewToArea, const PassSpec& pass,
                   const SymbologySet& wanted) = 0;
  // True when a symbol found already covers this point of the search area.
  virtual bool Found(PointD areaPoint) const = 0;
  virtual bool Expired() const = 0;
  // The area's half-size copy (HalveView), made once and shared with the
  // half pass.
  virtual const DerivedImage& Half() = 0;

 protected:
  ~CropReader() = default;
};

// Crop geometry, in the coordinates of the search area.

// `blob` grown on every side by `share` of its longer side, and by at least
// `minimum` pixels.
Region Grown(const Region& blob, double share, Int32 minimum);
// The part of `r` inside a width x height area; empty when there is none.
Region Clipped(const Region& r, Int32 width, Int32 height);
bool IsEmpty(const Region& r);
// The square crop centred on a blob for the finders that look around the
// centre of their view: three times the blob's longer side, at least 256
// pixels, so that a blob that is only part of a symbol still gets all of it.
Region CentredCrop(const Region& blob);
// The direction flag under which a blob of bars within 20 degrees of a right
// angle is read: kDirectionVertical for bars that lie flat (a standing
// symbol), kDirectionHorizontal for standing bars; 0 for other blobs.
UInt32 StraightBarsDirection(const Region& blob);
// True for a blob of bars more than 5 degrees from a right angle: a turned
// crop reads it (a blob a little less coherent than bars, for Micro PDF417
// alone).
bool TurnedBars(const Region& blob);

// The crops of one search area's ink blobs. The blob searches run once each,
// when first needed.
class BlobCrops {
 public:
  BlobCrops(const LumaView& area, const ReadOptions& options, CropReader& reader)
      : area_(area), options_(options), reader_(reader) {}

  // True when the area holds so many square blobs with the ink of a symbol
  // (with `unreadOnly`: that no symbol found covers) that it is a sheet of
  // symbols (labels, a test sheet).
  bool Crowded(bool unreadOnly);

  // Each returns false when the deadline stopped it.
  // Matrix symbols around blob centres (Maxi Code in tight crops), and bars
  // near right angles that the straight passes missed.
  bool ReadRegions(const PassSpec& pass);
  // Blobs of turned bars, each cut out and turned so that its bars stand
  // upright.
  bool ReadTurnedCrops(const PassSpec& pass);

 private:
  // Blobs are searched and measured on the halved copy when the area has
  // one: that view, and how many area pixels one of its pixels spans.
  struct BlobBase {
    LumaView view;
    Int32 scale;
  };
  BlobBase BlobView();
  // Under light falling off across the area (a phone's photo of a page), the
  // blobs are searched and the crops cut on the area evened (EvenLight.h);
  // decided once, before the first blob search.
  void EvenTheLight();
  Int32 BlobReduce() const;
  const std::vector<Region>& Blobs();
  const std::vector<Region>& CoarseBlobs();
  std::vector<Region> FindBlobs(Int32 reduce, bool measureGradient);
  Region WithGradient(Region coarse);
  bool Covered(const Region& r) const;
  int ReadCrop(const Region& crop, const PassSpec& pass, const SymbologySet& wanted);
  // The blob alone, for the finders that pair patterns across the view.
  int ReadIsolatedCrop(const Region& blob, const PassSpec& pass, const SymbologySet& wanted);
  void ReadCentredCrop(const Region& crop, const PassSpec& pass, const SymbologySet& wanted);
  void ReadMaxiCrop(const Region& blob, const PassSpec& pass);
  bool ReadCoarseMaxiCrops(const PassSpec& pass);
  void ReadStraightBars(const Region& blob, const PassSpec& pass, const SymbologySet& bars);
  bool ReadRestoredBars(const LumaView& crop, const AffineMap& cropToArea, double turn,
                        const PassSpec& standing, const SymbologySet& bars);
  Region JoinedBars(const Region& blob, UInt32 direction);
  void ReadSmallBars(const Region& crop, double turn, const PassSpec& pass,
                     const SymbologySet& wanted);
  void ReadOblong(const Region& blob, const PassSpec& pass, const SymbologySet& bars);
  void ReadTurnedCrop(const Region& blob, const PassSpec& pass);

  LumaView area_;  // the evened copy when the light was uneven
  const ReadOptions& options_;
  CropReader& reader_;
  std::optional<std::vector<Region>> blobs_;
  std::optional<std::vector<Region>> coarseBlobs_;
  bool lightChecked_ = false;
  std::optional<LumaImage> evened_;
  std::optional<DerivedImage> evenedHalf_;
};

}  // namespace vexo::engine
