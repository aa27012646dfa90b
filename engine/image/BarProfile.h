#pragma once
// The bars of a small linear symbol restored from their whole height: the
// rows that cross the bars are averaged along them (following their lean to
// a fraction of a pixel), which cuts a scan's noise by the square root of the
// rows, or turns the dots of a dithered fax back into grey; the blur of that
// one clean line is then undone (a Wiener filter for a Gaussian blur, its
// width chosen as the one that leaves the line nearest to two levels, ink
// and paper), and the line drawn as a short image of upright bars.

#include <vector>

#include "Common/Types.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

// The mean line across upright bars and where it came from.
struct BarProfile {
  std::vector<double> values;  // one per source column
  Int32 top = 0;               // the rows averaged: [top, bottom)
  Int32 bottom = 0;
  // The bars lean: the bar at column x of the line is at x + lean * y in row
  // y of the image.
  double lean = 0;
  double noise = 0;  // standard deviation of one row about the mean line
};

// The longest band of rows of `image` (bars standing roughly upright) that
// agree with each other, and their mean following the bars' lean. Empty
// values when fewer than `minRows` rows agree.
BarProfile MeanAcrossBars(const LumaImage& image, Int32 minRows);

// `line` blurred by a Gaussian of `sigma` samples (edges held), for the
// restoration's tests and its choice of width.
std::vector<double> GaussianBlurred(const std::vector<double>& line, double sigma);

// `line`, blurred by a Gaussian of `sigma` samples, with the blur undone (a
// Wiener filter, `noiseShare` the noise's share of the signal's power).
std::vector<double> Deblurred(const std::vector<double>& line, double sigma, double noiseShare);

struct RestoredBars {
  std::vector<double> line;  // the deblurred mean line, one value per column
  double sigma = 0;          // the blur undone, in source pixels
};

// The mean line with the blur undone for each width of `sigmas`, ordered by
// how near each result stays to the ink and paper levels (best first).
std::vector<RestoredBars> RestoredLines(const BarProfile& profile,
                                        const std::vector<double>& sigmas);

// Where the edges of the drawn bars fall: on the samples' borders (each
// sample a block of pixels), or where the line, linear between samples,
// crosses the middle of its levels.
enum class BarEdges { SampleBlocks, BetweenSamples };

// `line` drawn `factor` times wider as `rows` identical rows, its ink and
// paper levels stretched to dark and light. Blocks keep the narrowest
// elements, whose restored peaks barely pass the middle, one sample wide;
// edges between samples keep the widths of a line whose pitch is not a
// whole number of samples (a phone's 1.5-pixel modules under a wider blur).
LumaImage DrawnBars(const std::vector<double>& line, Int32 factor, Int32 rows,
                    BarEdges edges = BarEdges::SampleBlocks);

}  // namespace vexo::engine
