#include "engine/core/Status.h"

#include <iterator>

namespace vexo::engine {
namespace {

struct StatusEntry {
  EngineStatus status;
  const char* text;
};

constexpr StatusEntry kStatusTable[] = {
    {kStatusSuccess, "The operation succeeded."},
    {kStatusNothingFound, "No barcode was found in the search area."},
    {kStatusInvalidArgument, "An argument passed to the imaging engine is not valid."},
    {kStatusOutOfMemory, "The imaging engine ran out of memory."},
    {kStatusInternalError, "The imaging engine failed internally."},
    {kStatusEmptyImage, "The image data is empty."},
    {kStatusUnknownImageFormat, "The image data is not in a format the engine can decode."},
    {kStatusCorruptImage, "The image data is corrupt or truncated."},
    {kStatusImageTooLarge,
     "The image is too large: at most 65535 pixels wide or high and 250 million pixels in all."},
    {kStatusInvalidBitmap, "The bitmap does not hold a decoded image."},
    {kStatusReaderNotOpen, "The barcode reader is not open."},
    {kStatusReaderAlreadyOpen, "The barcode reader is already open."},
    {kStatusFeatureNotEnabled,
     "A symbology was requested whose family was not enabled when the barcode reader was "
     "opened."},
    {kStatusUnknownSymbology, "A symbology code that the engine does not know was requested."},
    {kStatusInvalidProfile, "The profile index is out of range (0 to 3)."},
    {kStatusInvalidOptions, "An option block has the wrong size or holds an invalid value."},
    {kStatusInvalidResultSize, "The result record size is not the one the engine writes."},
    {kStatusTimeBudgetExceeded, "The search took longer than the engine's time budget."},
};

constexpr const char* kUnknownStatusText = "Unknown imaging engine status.";

struct OutcomeEntry {
  ImageOutcome outcome;
  EngineStatus status;
};

constexpr OutcomeEntry kOutcomeTable[] = {
    {ImageOutcome::kOk, kStatusSuccess},
    {ImageOutcome::kEmpty, kStatusEmptyImage},
    {ImageOutcome::kUnknownFormat, kStatusUnknownImageFormat},
    {ImageOutcome::kCorrupt, kStatusCorruptImage},
    {ImageOutcome::kTooLarge, kStatusImageTooLarge},
    {ImageOutcome::kOutOfMemory, kStatusOutOfMemory},
    {ImageOutcome::kInternalError, kStatusInternalError},
};

}  // namespace

const char* StatusText(EngineStatus status) {
  for (const StatusEntry& entry : kStatusTable) {
    if (entry.status == status) return entry.text;
  }
  return kUnknownStatusText;
}

EngineStatus StatusOf(ImageOutcome outcome) {
  for (const OutcomeEntry& entry : kOutcomeTable) {
    if (entry.outcome == outcome) return entry.status;
  }
  return kStatusInternalError;
}

}  // namespace vexo::engine
