#pragma once
// Our engine's status codes. Every code has one entry in the table of
// Status.cpp with the sentence DescribeError gives for it.

#include "engine/image/ImageOutcome.h"
#include "wrapper/ImagingEngine.h"

namespace vexo::engine {

enum Status : EngineStatus {
  kStatusSuccess = kEngineSuccess,
  kStatusNothingFound = kEngineNothingFound,
  kStatusInvalidArgument = -1,
  kStatusOutOfMemory = -2,
  kStatusInternalError = -3,
  kStatusEmptyImage = -101,
  kStatusUnknownImageFormat = -102,
  kStatusCorruptImage = -103,
  kStatusImageTooLarge = -104,
  kStatusInvalidBitmap = -105,
  kStatusReaderNotOpen = -201,
  kStatusReaderAlreadyOpen = -202,
  kStatusFeatureNotEnabled = -203,
  kStatusUnknownSymbology = -204,
  kStatusInvalidProfile = -205,
  kStatusInvalidOptions = -206,
  kStatusInvalidResultSize = -207,
  kStatusTimeBudgetExceeded = -301,
};

// The text of a status; a fixed text for codes not in the table.
const char* StatusText(EngineStatus status);

// The status that reports the outcome of an image operation.
EngineStatus StatusOf(ImageOutcome outcome);

}  // namespace vexo::engine
