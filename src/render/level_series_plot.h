#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/plot_geometry.h"

namespace tracelink {

// A trace that is not one of our records: levels in dB at a fixed spacing in metres,
// such as a SOR file of another maker's instrument.
struct LevelSeries {
  std::vector<double> levelsDb;
  double spacingM = 0;
};

// dB per level division: the smallest of 1, 2, 5, 10, 20, 50, ... whose ten divisions
// hold the levels from the lowest to the highest. Our own traces always fit 1 dB.
double levelStep(double spanDb);

// Draws points first..last of the series (and, as our curve does, the segment to the next
// point, clipped) on a plot canvas (723 x 369, light colours) with
// the grid rules of our own traces: the same margin, distance lines, labels and 11 level
// lines; the distances are the points' own (i x spacing, whole metres). The lowest level
// sits on the bottom axis and each level line is levelStep() dB above the one below; its
// label says how many dB that is ("(dB)" on the tenth line from the top, as always).
// The series needs at least two points in the window and a positive spacing.
QImage renderLevelSeriesCanvas(const LevelSeries& series, std::size_t first, std::size_t last,
                               PlotFrame* frameOut = nullptr, double* stepOut = nullptr);

}  // namespace tracelink
