#pragma once

#include <QColor>
#include <cstdint>
#include <optional>
#include <vector>

#include "record/decode.h"
#include "record/trace_record.h"
#include "render/plot_geometry.h"

class QPainter;

namespace tracelink {

// One of the instrument's events as a mark on the plot: its number in the event table and
// its distance.
struct EventMark {
  std::int32_t number = 0;
  double distanceM = 0;
  // Judged against the chosen limits: drawn in the pass or fail colour, its number with a
  // tick or a cross beside it; none: not judged, drawn as ever.
  std::optional<bool> pass = std::nullopt;
};

// What the measuring overlay shows on the visible plot: the markers (metres) and, when
// asked for, the instrument's events.
struct MarkerOverlay {
  std::optional<double> markerA;
  std::optional<double> markerB;
  bool showEvents = false;
  std::vector<EventMark> events;
};

// The events of the table as marks, numbered as the table numbers them.
std::vector<EventMark> eventMarks(const DecodedValues& decoded);

// Marker A red and B green on the light plot; on the black plot the bright red and green
// that read as well as the white curve.
QColor markerColour(char letter, std::int16_t backColourMode);
QColor eventMarkColour(std::int16_t backColourMode);
QColor verdictColour(bool pass, std::int16_t backColourMode);

// Paints the overlay onto the visible picture after its presentation, in the coordinates
// of the window `frame` was drawn for (the crosshair's mapping): each marker as a solid
// vertical line from the top of the plot down to the bottom axis with its letter at the
// top, each event as a small numbered triangle standing on the bottom axis. Anything
// outside the window is left out. The painter's state is left as it was.
void paintMarkerOverlay(QPainter& painter, const PlotFrame& frame, std::int16_t backColourMode,
                        const MarkerOverlay& overlay);
// The same for a view window of the plot (which must have positive width).
void paintMarkerOverlay(QPainter& painter, const ViewWindow& view, double ior,
                        std::int16_t backColourMode, const MarkerOverlay& overlay);

}  // namespace tracelink
