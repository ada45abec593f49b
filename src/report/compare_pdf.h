#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "compare/bidir.h"
#include "compare/overlay.h"
#include "record/language.h"
#include "record/result.h"
#include "render/overlay_plot.h"
#include "trace/trace.h"

namespace tracelink {

// The comparison's pages as one-page A4 PDF documents in memory, in the report's face and
// in either language. The plot is the overlay's canvas in the light colours, stored
// without loss; texts stay text.

struct OverlayPdfInput {
  std::vector<compare::OverlayTrace> traces;  // as the overlay shows them: offsets, hidden ones
  // Each trace's file as the legend names it; where missing or empty, the file name of the
  // trace's origin.
  std::vector<QString> names;
  OverlayView view;
  // With both markers (distances in the traces' frame): their lines on the plot and the
  // table of each shown trace's two-point loss and LSA attenuation between them.
  std::optional<double> markerA;
  std::optional<double> markerB;
};

// The overlay as shown, its legend (colour, file, wavelength, pulse width, date and offset
// of each shown trace) and, with markers, the marker table.
Result<QByteArray> overlayPdf(const OverlayPdfInput& input, Language language,
                              const QString& decimalSeparator);

// Trace B turned end for end onto A's axis: the point B reads at x lies at distance
// L - (x - B's start) from A's start, as the two-direction analysis matched them.
Trace mirroredTrace(const Trace& b, const compare::BidirResult& both);

// The two-direction report page of one fibre: the head (wavelength, length, tolerance),
// both traces on one plot (A, and B mirrored), the table (drawBidirTable) with its totals
// and the warnings. fileA and fileB name the traces.
Result<QByteArray> bidirPdf(const Trace& a, const Trace& b, const compare::BidirResult& both,
                            const QString& fileA, const QString& fileB, Language language,
                            const QString& decimalSeparator);

}  // namespace tracelink
