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

namespace tracelink {

struct ComparedTrace;

// What the Compare window and its dialogs write besides the plot's PNG: the overlay's page
// and the two-direction page as PDF.

// The overlay as shown (view, offsets, hidden traces left out) with its legend and, with
// both markers set, each trace's loss between them.
Result<QByteArray> overlayPdfBytes(const std::vector<ComparedTrace>& traces,
                                   const std::vector<compare::OverlayTrace>& overlay,
                                   const OverlayView& view, std::optional<double> markerA,
                                   std::optional<double> markerB, Language language);
// Both traces of one fibre and their two-direction table.
Result<QByteArray> bidirPdfBytes(const compare::BidirResult& result, const ComparedTrace& a,
                                 const ComparedTrace& b, Language language);

}  // namespace tracelink
