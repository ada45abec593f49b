#include "ui/compare_plot.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "render/marker_overlay.h"
#include "render/plot_geometry.h"
#include "render/plot_render.h"

namespace tracelink {

namespace {

const QColor kCrosshair(0, 0, 255);
// A press that moves less than this many pixels is a click, not a zoom.
constexpr int kDragPixels = 4;
// Half the width of the tick that shows each trace's reading on the crosshair.
constexpr double kTickHalf = 5;

}  // namespace

ComparePlot::ComparePlot(QWidget* parent)
    : QWidget(parent),
      canvas_(makePlotSurface()),
      base_(makePlotSurface()),
      picture_(makePlotSurface()) {
  setObjectName(QStringLiteral("ComparePlot"));
  setFixedSize(kPlotWidth, kPlotHeight);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ComparePlot::setTraces(const std::vector<compare::OverlayTrace>* traces) {
  traces_ = traces;
  markerA_.reset();
  markerB_.reset();
  cursorM_.reset();
  fullView();
}

void ComparePlot::redraw() {
  if (!traces_) return;
  renderOverlay(canvas_, *traces_, view_, &scale_);
  rebuildBase();
}

void ComparePlot::fullView() {
  if (!traces_) return;
  view_ = fullOverlayView(*traces_);
  redraw();
}

double ComparePlot::minimumWidthM() const {
  double finest = 0;
  if (traces_)
    for (const compare::OverlayTrace& t : *traces_)
      if (t.trace && t.trace->spacingM > 0 && (finest == 0 || t.trace->spacingM < finest))
        finest = t.trace->spacingM;
  return std::max(2 * finest, 1e-3);
}

void ComparePlot::zoomTo(double fromM, double toM) {
  if (!traces_ || !std::isfinite(fromM) || !std::isfinite(toM)) return;
  if (toM < fromM) std::swap(fromM, toM);
  const compare::DistanceSpan span = compare::overlaySpan(*traces_);
  fromM = std::max(fromM, span.fromM);
  toM = std::min(toM, span.toM);
  if (toM - fromM < minimumWidthM()) return;
  view_.fromM = fromM;
  view_.toM = toM;
  view_.levels.reset();
  redraw();
}

void ComparePlot::pan(int direction) {
  if (!traces_) return;
  const compare::DistanceSpan span = compare::overlaySpan(*traces_);
  const double width = view_.toM - view_.fromM;
  double from = view_.fromM + direction * width / 2;
  // The window keeps its width and stops at either end of the traces.
  from = std::clamp(from, span.fromM, std::max(span.fromM, span.toM - width));
  if (from == view_.fromM) return;
  view_.fromM = from;
  view_.toM = from + width;
  redraw();
}

void ComparePlot::zoomBy(double factor) {
  zoomAbout((view_.fromM + view_.toM) / 2, factor);
}

void ComparePlot::zoomAbout(double distanceM, double factor) {
  // The distance keeps its place on the plot.
  zoomTo(distanceM - (distanceM - view_.fromM) * factor,
         distanceM + (view_.toM - distanceM) * factor);
}

void ComparePlot::setMarker(char letter, double distanceM) {
  (letter == 'A' ? markerA_ : markerB_) = distanceM;
  rebuildBase();
  emit markersChanged();
}

void ComparePlot::clearMarkers() {
  if (!markerA_ && !markerB_) return;
  markerA_.reset();
  markerB_.reset();
  rebuildBase();
  emit markersChanged();
}

double ComparePlot::heldInside(double distanceM) const {
  return std::clamp(distanceM, view_.fromM, std::max(view_.fromM, view_.toM));
}

void ComparePlot::setCursor(double distanceM) {
  cursorM_ = heldInside(distanceM);
  pointerOver_ = true;
  present();
  emit cursorMoved(*cursorM_);
}

bool ComparePlot::handleKey(int key) {
  switch (key) {
    case Qt::Key_A:
    case Qt::Key_B:
      if (cursorM_) setMarker(key == Qt::Key_A ? 'A' : 'B', *cursorM_);
      return true;
    case Qt::Key_Escape:
      clearMarkers();
      return true;
    case Qt::Key_Left:
      pan(-1);
      return true;
    case Qt::Key_Right:
      pan(1);
      return true;
    case Qt::Key_Home:
      fullView();
      return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      zoomBy(0.5);
      return true;
    case Qt::Key_Minus:
      zoomBy(2.0);
      return true;
    default:
      return false;
  }
}

void ComparePlot::paintMarkers(QImage& image) const {
  if (!markerA_ && !markerB_) return;
  // As the exports draw them: the frame counts its metres from the axis origin.
  MarkerOverlay markers;
  if (markerA_) markers.markerA = *markerA_ - scale_.axisOriginM;
  if (markerB_) markers.markerB = *markerB_ - scale_.axisOriginM;
  QPainter p(&image);
  paintMarkerOverlay(p, scale_.frame, 0, markers);
}

QImage ComparePlot::exportImage() const {
  QImage image = canvas_.copy();
  paintMarkers(image);
  return image;
}

void ComparePlot::rebuildBase() {
  base_ = canvas_.copy();
  paintMarkers(base_);
  if (inverted_) base_.invertPixels();
  present();
}

void ComparePlot::present() {
  readings_.clear();
  if (cursorM_ && traces_) readings_ = compare::readingsAt(*traces_, *cursorM_);
  picture_ = base_;
  const bool crosshair = cursorM_ && pointerOver_ && traces_;
  if (!crosshair && !dragging_) {
    update();
    return;
  }
  // Drawn over the picture in the scheme it is shown in: without smoothing, a pixel is
  // either the colour's or left as it was, so a colour inverted here is the pixel the dark
  // scheme's inversion of the whole would give.
  const auto shown = [this](QColor colour) {
    if (inverted_) colour.setRgb(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
    return colour;
  };
  QPainter p(&picture_);
  if (crosshair) {
    const double x = scale_.xOfDistance(*cursorM_);
    p.setPen(QPen(shown(kCrosshair), 1, Qt::DashLine));
    p.drawLine(QLineF(x, PlotFrame::row(kPlotTop), x, PlotFrame::row(0)));
    // Each trace's reading as a short tick in its colour, where its curve is drawn.
    for (std::size_t i = 0; i < readings_.size(); ++i) {
      if (!readings_[i]) continue;
      const double px = scale_.xOfDistance(readings_[i]->distanceM);
      const double py = scale_.yOfLevel(readings_[i]->levelDb);
      p.setPen(QPen(shown(QColor::fromRgb(overlayColour(i))), 1));
      p.drawLine(QLineF(px - kTickHalf, py, px + kTickHalf, py));
    }
  }
  if (dragging_) {
    p.setPen(QPen(shown(kCrosshair), 1, Qt::DotLine));
    p.drawRect(QRect(pressAt_, dragTo_).normalized());
  }
  p.end();
  update();
}

void ComparePlot::setInverted(bool inverted) {
  if (inverted == inverted_) return;
  inverted_ = inverted;
  rebuildBase();
}

void ComparePlot::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.drawImage(event->rect(), picture_, event->rect());
}

void ComparePlot::mousePressEvent(QMouseEvent* event) {
  pressAt_ = event->position().toPoint();
  pressButton_ = event->button();
  dragging_ = false;
}

void ComparePlot::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const bool wasOver = pointerOver_;
  pointerOver_ = true;
  if (pressButton_ != Qt::NoButton && (at - pressAt_).manhattanLength() >= kDragPixels) {
    dragging_ = true;
    dragTo_ = at;
  }
  const double distance = heldInside(scale_.distanceAt(at.x()));
  // A pixel holds several points of a long trace, and a move within it changes nothing.
  if (!dragging_ && wasOver && cursorM_ == distance) return;
  cursorM_ = distance;
  present();
  emit cursorMoved(*cursorM_);
}

void ComparePlot::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const Qt::MouseButton button = pressButton_;
  pressButton_ = Qt::NoButton;
  if (dragging_) {
    dragging_ = false;
    zoomTo(scale_.distanceAt(pressAt_.x()), scale_.distanceAt(at.x()));
    present();
    return;
  }
  if (button != event->button()) return;
  const double distance = heldInside(scale_.distanceAt(at.x()));
  cursorM_ = distance;
  if (button == Qt::LeftButton) setMarker('A', distance);
  if (button == Qt::RightButton) setMarker('B', distance);
}

void ComparePlot::keyPressEvent(QKeyEvent* event) {
  if (!handleKey(event->key())) QWidget::keyPressEvent(event);
}

void ComparePlot::wheelEvent(QWheelEvent* event) {
  const int notches = event->angleDelta().y();
  if (notches == 0) {
    event->ignore();
    return;
  }
  zoomAbout(heldInside(scale_.distanceAt(event->position().x())), notches > 0 ? 0.5 : 2.0);
  event->accept();
}

void ComparePlot::leaveEvent(QEvent* event) {
  pointerOver_ = false;
  present();
  QWidget::leaveEvent(event);
}

}  // namespace tracelink
