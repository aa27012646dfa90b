#pragma once
// Australia Post 4-state customer barcodes: the standard customer barcode,
// customer barcodes 2 and 3, reply paid, routing and redirection.

#include <span>
#include <vector>

#include "Common/Types.h"
#include "engine/bars/BarHeights.h"

namespace vexo::engine {

// The 8-digit delivery point identifier followed by the customer information
// field (empty for the 37-bar formats), in reading order. Up to two damaged
// symbols (three bars each) are corrected with the Reed-Solomon parity. False,
// content untouched, when the bars are not a valid symbol.
bool DecodeAustraliaPost(std::span<const BarState> bars, std::vector<UInt8>& content);

// The customer information field: with the N table when its bars are digits
// to the end of the field (8 in customer barcode 2, 15 in 3), otherwise with
// the C table, trailing filler left out. Nothing in the bars tells the two
// apart; this is what the encoders do. Bar values 0 to 3 (full, ascender,
// descender, tracker). False when neither table reads it.
bool ReadCustomerField(std::span<const UInt8> values, std::vector<UInt8>& text);

}  // namespace vexo::engine
