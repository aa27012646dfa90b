#pragma once
// The parts of GS1 DataBar symbols found on one scan line: a DataBar half (a
// finder pattern with its outer and inner character) or a DataBar Expanded
// pair (a finder pattern with the characters on its sides). Stacked symbols
// put their halves or pairs in rows above each other; a single-row symbol has
// all of them on one line.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Common/Types.h"
#include "engine/bars/RunRow.h"

namespace vexo::engine::databar {

struct Segment {
  bool expanded = false;
  // DataBar: the finder's value 0..8; Expanded: 0..11 for A1, A2, ... F2.
  Int32 finder = -1;
  // DataBar: the half right of the symbol's middle, whose finder is mirrored.
  bool rightHalf = false;
  // The characters left and right of the finder in reading order: values,
  // -1 for an Expanded pair's missing right character; element widths in
  // modules, in each character's reading order (for the checksum).
  std::array<Int32, 2> values{-1, -1};
  std::array<std::array<Int32, 8>, 2> modules{};
  // The outer edges of the characters, in line positions (begin < end).
  float begin = 0;
  float end = 0;
  float module = 0;       // pixels
  bool reversed = false;  // reads from the end of the line towards its start
};

// Every segment on the line, in both reading directions, in reading order
// within each direction.
void FindSegments(const RunRow& row, std::vector<Segment>& out);

// Segments of one direction that follow each other without a gap, as a
// symbol row holds them.
using Chain = std::vector<Segment>;
std::vector<Chain> Chains(const std::vector<Segment>& segments);

// The content of a DataBar symbol from its two halves ("01" and 14 digits),
// when the checksum holds.
std::optional<std::string> DataBarContent(const Segment& left, const Segment& right);

// The element string of a DataBar Expanded symbol from its pairs in symbol
// order, when they are the whole symbol: the finder sequence its length
// asks for, and the checksum.
std::optional<std::string> ExpandedContent(std::span<const Segment> pairs);

// How many pairs the Expanded symbol whose first pair is `first` has; 0 when
// `first` is no first pair.
Int32 ExpandedPairCount(const Segment& first);

}  // namespace vexo::engine::databar
