#include "render/overlay_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "record/units.h"
#include "render/plot_render.h"
#include "render/segment_raster.h"

namespace tracelink {

namespace {

// Dark, saturated inks that stay at least 45 (CIE76) apart from each other, from the white
// canvas and from the grid, and whose inverses do the same on the dark canvas; each keeps a
// contrast of 3:1 or more against its background in both schemes. Trace 0 is the single
// plot's black.
constexpr QRgb kOverlayInks[compare::kMaxOverlay] = {
    0xff000000u,  // black (white on the dark canvas)
    0xffff1500u,  // red (cyan)
    0xff1030e0u,  // blue (yellow)
    0xff008a00u,  // green (pink)
    0xffc27000u,  // ochre (sky blue)
    0xffb80099u,  // magenta (light green)
    0xff00988au,  // teal (salmon)
    0xffff306cu,  // rose (aquamarine)
};

// The frame's arithmetic converts samples to metres; at this index one sample is one
// metre, so a window in whole metres goes through it unchanged.
constexpr double kMetreFrameIor = kLightSpeed / 2.0;

// One trace as the overlay places it: where its points fall on the distance axis, in
// whole metres from the axis origin as the single plot places them (its i x spacing
// rounded), moved by where its own first point lies.
struct Placement {
  const Trace* trace = nullptr;
  std::size_t slot = 0;  // its place in the list, which gives its colour
  double offsetDb = 0;
  double spacingM = 0;
  double ior = 0;
  double metresPerSample = 0;
  double shiftM = 0;  // its first point's distance from the axis origin

  std::size_t size() const { return trace->size(); }
  double position(std::size_t i) const {
    return shiftM + sampleMetres(static_cast<std::int64_t>(i), ior, metresPerSample);
  }
  // The first point at or after m, size() when there is none.
  std::size_t firstFrom(double m) const { return firstPast(m, false); }
  // The first point after m, size() when there is none.
  std::size_t firstAfter(double m) const { return firstPast(m, true); }

 private:
  std::size_t firstPast(double m, bool strictly) const {
    const std::size_t n = size();
    const auto beyond = [&](std::size_t i) {
      return strictly ? position(i) > m : position(i) >= m;
    };
    const double estimate = std::ceil((m - shiftM) / metresPerSample);
    std::size_t i = 0;
    if (estimate >= static_cast<double>(n)) {
      i = n;
    } else if (estimate > 0) {
      i = static_cast<std::size_t>(estimate);
    }
    // The whole-metre rounding puts a point up to half a metre from its exact place.
    while (i > 0 && beyond(i - 1)) --i;
    while (i < n && !beyond(i)) ++i;
    return i;
  }
};

bool placeable(const compare::OverlayTrace& t) {
  return t.trace != nullptr && !t.trace->empty() && std::isfinite(t.trace->originM) &&
         std::isfinite(t.offsetDb);
}

double lastDistance(const Trace& trace) {
  return trace.originM + static_cast<double>(trace.size() - 1) * usableSpacing(trace);
}

// The earliest first point of any trace, shown or not, so that hiding one leaves the
// distance labels where they were.
double axisOrigin(const std::vector<compare::OverlayTrace>& traces) {
  double origin = std::numeric_limits<double>::infinity();
  for (const compare::OverlayTrace& t : traces)
    if (placeable(t)) origin = std::min(origin, t.trace->originM);
  return std::isfinite(origin) ? origin : 0.0;
}

std::vector<Placement> placements(const std::vector<compare::OverlayTrace>& traces,
                                  double originM) {
  std::vector<Placement> out;
  for (std::size_t k = 0; k < traces.size() && k < compare::kMaxOverlay; ++k) {
    const compare::OverlayTrace& t = traces[k];
    if (!t.shown || !placeable(t)) continue;
    Placement p;
    p.trace = t.trace;
    p.slot = k;
    p.offsetDb = t.offsetDb;
    // Its spacing and the very expressions of the single plot, so that a trace alone lands
    // on its pixels.
    p.spacingM = usableSpacing(*t.trace);
    p.ior = kLightSpeed / 2.0 / p.spacingM;
    p.metresPerSample = kLightSpeed / 2.0 / p.ior;
    p.shiftM = t.trace->originM - originM;
    out.push_back(p);
  }
  return out;
}

// The farthest a view's edge may lie from the axis origin: a window of twice this still
// counts its width in 32 bits.
constexpr double kFarthestEdgeM = 1e9;

// A view's edge in whole metres of the axis. An edge on a point of a shown trace is where
// that point is drawn, so that the full view ends on the last point as the single plot's
// does; elsewhere the nearest metre.
std::int32_t edgeMetre(double distanceM, const std::vector<Placement>& shown, double originM) {
  for (const Placement& p : shown) {
    const double k = std::round((distanceM - p.trace->originM) / p.spacingM);
    if (!(k >= 0 && k < static_cast<double>(p.size()))) continue;
    if (std::fabs(p.trace->originM + k * p.spacingM - distanceM) > 1e-6) continue;
    return nearest(
        std::clamp(p.shiftM + SampleToMetres(k, p.ior), -kFarthestEdgeM, kFarthestEdgeM));
  }
  return nearest(std::clamp(distanceM - originM, -kFarthestEdgeM, kFarthestEdgeM));
}

// What one trace draws in the window: points first..end (end one beyond the window where
// there is one, as the single plot's last segment), and whether a segment comes in from
// the point before the window's left edge.
struct Drawn {
  std::size_t shown = 0;  // its placement
  std::size_t first = 0;
  std::size_t end = 0;
  bool lead = false;
  std::int32_t lowMilliDb = 0;  // the levels of the points drawn, without the offset
  std::int32_t highMilliDb = 0;
};

struct Layout {
  OverlayScale scale;
  std::vector<Placement> shown;
  std::vector<Drawn> drawn;
};

Layout layOut(const std::vector<compare::OverlayTrace>& traces, const OverlayView& requested) {
  Layout out;
  OverlayScale& s = out.scale;
  s.axisOriginM = axisOrigin(traces);
  out.shown = placements(traces, s.axisOriginM);
  OverlayView view = requested;
  if (!std::isfinite(view.fromM) || !std::isfinite(view.toM)) {
    const OverlayView full = fullOverlayView(traces);
    view.fromM = full.fromM;
    view.toM = full.toM;
  }
  ViewWindow window;
  window.ViewStart = edgeMetre(view.fromM, out.shown, s.axisOriginM);
  window.ViewEnd = edgeMetre(view.toM, out.shown, s.axisOriginM);
  s.frame = computePlotFrame(drawnWindow(window), kMetreFrameIor);

  const double startM = s.frame.viewStartM;
  const double endM = s.frame.viewEndM;
  double lowDb = std::numeric_limits<double>::infinity();
  double highDb = -lowDb;
  for (const Placement& p : out.shown) {
    Drawn d;
    d.shown = static_cast<std::size_t>(&p - out.shown.data());
    d.first = p.firstFrom(startM);
    const std::size_t after = p.firstAfter(endM);
    if (d.first >= p.size()) continue;
    d.end = after < p.size() ? after : p.size() - 1;
    d.lead = d.first > 0;
    if (!d.lead && d.first >= d.end) continue;
    const std::vector<std::int32_t>& levels = p.trace->levels;
    std::int32_t lo = levels[d.lead ? d.first - 1 : d.first];
    std::int32_t hi = lo;
    for (std::size_t i = d.first; i <= d.end; ++i) {
      lo = std::min(lo, levels[i]);
      hi = std::max(hi, levels[i]);
    }
    d.lowMilliDb = lo;
    d.highMilliDb = hi;
    lowDb = std::min(lowDb, lo / kMilliDbPerDb + p.offsetDb);
    highDb = std::max(highDb, hi / kMilliDbPerDb + p.offsetDb);
    out.drawn.push_back(d);
  }
  s.curve = !out.drawn.empty();
  if (s.curve) {
    // The single plot's rule: the lowest level on the bottom axis, ten divisions hold all.
    s.lowDb = lowDb;
    s.stepDb = levelStep(highDb - lowDb);
  }
  if (view.levels)
    applyLevelWindow(s.frame, levelWindowOf(*view.levels, s.lowDb, s.stepDb / 100.0));
  return out;
}

// One trace's scale on the overlay's frame: the frame moved by where the trace starts and
// the levels by its offset, with an offset of 0 and a start on the axis origin giving the
// single plot's doubles bit for bit.
TraceCanvasScale traceScale(const OverlayScale& overlay, const Placement& p, const Drawn& d) {
  TraceCanvasScale s;
  s.frame = overlay.frame;
  s.frame.left = overlay.frame.left - p.shiftM;
  s.stepDb = overlay.stepDb;
  s.lowDb = overlay.lowDb - p.offsetDb;
  s.lowMilliDb = d.lowMilliDb;
  s.highMilliDb = d.highMilliDb;
  s.ior = p.ior;
  s.metresPerSample = p.metresPerSample;
  s.first = d.first;
  s.end = d.end;
  s.curve = d.first < d.end;
  return s;
}

void drawLead(QImage& canvas, const Trace& trace, const TraceCanvasScale& s, double edge,
              QRgb ink) {
  // The segment from the point before the window, cut where the window starts rather than
  // crossing the label strip.
  const double x0 = s.x(s.first - 1);
  const double y0 = s.y(trace, s.first - 1);
  const double x1 = s.x(s.first);
  const double y1 = s.y(trace, s.first);
  const double atEdge = x1 > x0 ? y0 + (y1 - y0) * (edge - x0) / (x1 - x0) : y1;
  SegmentRaster raster(reinterpret_cast<std::uint32_t*>(canvas.bits()), canvas.bytesPerLine() / 4,
                       canvas.width(), canvas.height(), ink);
  raster.addSegment(edge, atEdge, x1, y1);
}

}  // namespace

QRgb overlayColour(std::size_t i) {
  return kOverlayInks[i % compare::kMaxOverlay];
}

OverlayView fullOverlayView(const std::vector<compare::OverlayTrace>& traces) {
  OverlayView view;
  double from = std::numeric_limits<double>::infinity();
  double to = -from;
  for (const compare::OverlayTrace& t : traces) {
    if (!t.shown || !placeable(t)) continue;
    from = std::min(from, t.trace->originM);
    to = std::max(to, lastDistance(*t.trace));
  }
  if (std::isfinite(from) && std::isfinite(to)) {
    view.fromM = from;
    view.toM = to;
  }
  return view;
}

double OverlayScale::xOfDistance(double distanceM) const {
  return frame.column(distanceM - axisOriginM);
}

double OverlayScale::yOfLevel(double levelDb) const {
  return frame.levelRow((levelDb - lowDb) / stepDb * 100.0);
}

double OverlayScale::distanceAt(double px) const {
  return frame.xAt(px) + axisOriginM;
}

double OverlayScale::levelAt(double py) const {
  return lowDb + frame.levelAt(py) * stepDb / 100.0;
}

OverlayScale overlayScale(const std::vector<compare::OverlayTrace>& traces,
                          const OverlayView& view) {
  return layOut(traces, view).scale;
}

void renderOverlay(QImage& canvas, const std::vector<compare::OverlayTrace>& traces,
                   const OverlayView& view, OverlayScale* scaleOut) {
  const Layout layout = layOut(traces, view);
  const OverlayScale& scale = layout.scale;
  if (scaleOut) *scaleOut = scale;
  drawTraceGrid(canvas, scale.frame, scale.lowDb, scale.stepDb,
                view.levels ? &*view.levels : nullptr);
  // In the list's order: a later trace is drawn over an earlier one where they cross.
  for (const Drawn& d : layout.drawn) {
    const Placement& p = layout.shown[d.shown];
    const TraceCanvasScale s = traceScale(scale, p, d);
    const QRgb ink = overlayColour(p.slot);
    if (d.lead) drawLead(canvas, *p.trace, s, scale.frame.column(scale.frame.viewStartM), ink);
    drawTraceCurve(canvas, *p.trace, s, ink);
  }
}

QImage renderOverlay(const std::vector<compare::OverlayTrace>& traces, const OverlayView& view,
                     OverlayScale* scaleOut) {
  QImage canvas = makePlotSurface();
  renderOverlay(canvas, traces, view, scaleOut);
  return canvas;
}

}  // namespace tracelink
