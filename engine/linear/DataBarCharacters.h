#pragma once
// GS1 DataBar characters, shared by DataBar Limited (engine/linear) and the
// stacked DataBar reader (engine/stacked): element widths in modules to
// character values, the finder patterns, and the checksum weights.
//
// A character is a run of elements (spaces and bars) read in its own reading
// direction. Its odd elements (first, third, ...) and its even elements each
// spell a value by the width combinatorics of the symbology; the character's
// group, told by the module count of its odd elements, joins the two values.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "Common/Types.h"

namespace vexo::engine::databar {

// The value of `widths` (modules, each at least 1) among all width sequences
// of the same element count and module total whose widest element is at most
// `maxWidth`; without `noNarrow`, sequences lacking a one-module element are
// not counted.
Int32 WidthsValue(std::span<const Int32> widths, Int32 maxWidth, bool noNarrow);

enum class CharacterKind : UInt8 {
  Outer,     // DataBar (omnidirectional and stacked): 16 modules, 8 elements, values 0..2840
  Inner,     // DataBar: 15 modules, 8 elements, values 0..1596
  Limited,   // DataBar Limited: 26 modules, 14 elements, values 0..2013570
  Expanded,  // DataBar Expanded: 17 modules, 8 elements, values 0..4095
};

struct CharacterShape {
  Int32 elements;
  Int32 modules;
};
CharacterShape ShapeOf(CharacterKind kind);

// A group of a character set: its first value and how many odd and even
// width sequences it joins (its values: first + odd * even ones).
struct GroupSize {
  Int32 first;
  Int32 oddCount;
  Int32 evenCount;
};
std::vector<GroupSize> GroupsOf(CharacterKind kind);

// The character's value, or -1 when the widths spell none.
Int32 CharacterValue(CharacterKind kind, std::span<const Int32> widths);

// Module widths of `count` elements scaled from pixel widths to `modules` in
// all, rounded so that they add up; false when an element would vanish.
bool ToModules(std::span<const float> pixels, Int32 modules, std::span<Int32> out);

// The value of the character whose element widths in pixels are `pixels`
// (in line order; `reversed`: the character reads from the last of them), or
// -1.
Int32 ReadCharacter(CharacterKind kind, std::span<const float> pixels, bool reversed);

// DataBar Limited's check character (14 elements, 18 modules): its value
// 0..88, or -1.
Int32 LimitedCheckValue(std::span<const Int32> widths);

// Finder patterns: five elements, 15 modules, read from the side of the
// character they belong to. DataBar's value 0..8; DataBar Expanded's 0..5
// (A..F); -1 when the widths match none.
inline constexpr Int32 kFinderElements = 5;
inline constexpr Int32 kFinderModules = 15;
Int32 FinderValue(std::span<const Int32> widths);
Int32 ExpandedFinderValue(std::span<const Int32> widths);
// The same from pixel widths, with the width of one module; the first three
// elements carry the value, the last two are one module each.
Int32 FinderValueOfPixels(std::span<const float> pixels, bool expanded);

// Checksum weights of element `element` of DataBar data character `character`
// (0: left outer, 1: left inner, 2: right outer, 3: right inner; elements in
// each character's reading order), modulo 79.
Int32 DataBarWeight(Int32 character, Int32 element);
// The checksum (0..78) that the left and right finder values spell, or -1.
Int32 DataBarChecksumOfFinders(Int32 left, Int32 right);
inline constexpr Int32 kDataBarChecksumModulus = 79;
// Weight of element `element` (0..27: left character, then right) of DataBar
// Limited, modulo 89.
Int32 LimitedWeight(Int32 element);
// Weight of element `element` of the DataBar Expanded data character beside
// finder `finder` (0..11: A1, A2, B1, ... F2) on side `right`, modulo 211.
Int32 ExpandedWeight(Int32 finder, bool right, Int32 element);

// DataBar Expanded finder sequences: finder of pair `pair` (0-based) in a
// symbol of `pairs` pairs (2..11), as 0..11 for A1, A2, B1, ... F2; -1
// outside the table.
inline constexpr Int32 kMaxExpandedPairs = 11;
Int32 ExpandedFinderOf(Int32 pairs, Int32 pair);

// "01", the 13 digits of `data` and the GTIN check digit: the content of
// DataBar, DataBar Stacked and DataBar Limited.
std::string GtinContent(Int64 data);

}  // namespace vexo::engine::databar
