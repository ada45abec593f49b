#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include "trace/trace.h"
#include "view/plot_geometry.h"

namespace tracelink {

// dB per level division: the smallest of 1, 2, 5, 10, 20, 50, ... whose ten divisions
// hold the levels from the lowest to the highest. Our own traces always fit 1 dB.
double levelStep(double spanDb);

// Draws points first..last of a trace (and, as our curve does, the segment to the next
// point, clipped) on a plot canvas (723 x 369, light colours) with the grid rules of our
// own traces: the same margin, distance lines, labels and 11 level lines; the distances
// count from the first point (i x spacing, whole metres). The lowest level sits on the
// bottom axis and each level line is levelStep() dB above the one below; its label says
// how many dB that is ("(dB)" on the tenth line from the top, as always). The trace needs
// at least two points in the window and a positive spacing.
QImage renderTraceCanvas(const Trace& trace, std::size_t first, std::size_t last,
                         PlotFrame* frameOut = nullptr, double* stepOut = nullptr);

}  // namespace tracelink
