#pragma once
// Looking up what measured bar-space widths stand for: a codeword of a
// cluster, or a row address pattern.

#include <span>

#include "Common/Types.h"

namespace vexo::engine::micropdf {

// Module counts of `widths` (alternately bar and space, the first a bar)
// when the run is `modules` modules long: each width scaled and rounded, the
// rounding that misses most corrected until the counts add up.
// Returns false when an element would be under one module or over `most`.
bool ToModules(std::span<const float> widths, int modules, int most, std::span<int> out);

// The modules as bits, the first in the highest bit, a 1 for a bar.
UInt32 PatternBits(std::span<const int> modules);

// The cluster (0, 3, 6 or another value for no cluster) of codeword modules.
int ClusterOf(std::span<const int> modules);

// The codeword (0 to 928) of a 17-module pattern in cluster 0, 3 or 6; -1
// when the pattern is none of them.
int CodewordOf(int cluster, UInt32 pattern);

// The row address pattern number (1 to 52) of the six module counts of a
// pattern (each 1 to 5), 0 for none: a side one, or a centre one.
int RowAddressOf(std::span<const int> modules, bool centre);

}  // namespace vexo::engine::micropdf
