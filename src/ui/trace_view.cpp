#include "ui/trace_view.h"

#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QWheelEvent>
#include <cmath>
#include <optional>

#include "record/units.h"
#include "render/level_series_plot.h"
#include "render/marker_overlay.h"
#include "render/plot_render.h"
#include "render/view_icons.h"
#include "session/trace_texts.h"

namespace tracelink {

namespace {

// Label4 lies inside the plot at 6120, 120 twips, 3375 x 255 twips.
constexpr int kLabelLeft = twipsToPixels(6120);
constexpr int kLabelTop = twipsToPixels(120);
constexpr int kLabelWidth = twipsToPixels(3375);
constexpr int kLabelHeight = twipsToPixels(255);

const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

}  // namespace

TraceView::TraceView(TraceSession& session, QWidget* parent)
    : QWidget(parent), session_(session), canvas_(makePlotSurface()), picture_(makePlotSurface()) {
  setObjectName(QStringLiteral("Picture2"));
  // The plot has no border: the widget is exactly the drawing surface.
  setFixedSize(kPlotWidth, kPlotHeight);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);

  label4_ = new QLabel(QStringLiteral("X,Y"), this);
  label4_->setObjectName(QStringLiteral("Label4"));
  label4_->setGeometry(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight);
  label4_->installEventFilter(this);
  setReadoutColour();

  picture5_ = makeIconButton("Picture5", 9600, ViewIcon::PanTowardStart);
  picture6_ = makeIconButton("Picture6", 9960, ViewIcon::PanTowardEnd);
  picture4_ = makeIconButton("Picture4", 10320, ViewIcon::FullView);

  connect(&session_, &TraceSession::traceChanged, this, &TraceView::RedrawPlot);
  connect(&session_, &TraceSession::viewChanged, this, &TraceView::RedrawPlot);
  connect(&session_, &TraceSession::colourSchemeChanged, this, [this] {
    setReadoutColour();
    PresentPlot();
  });
  connect(&session_, &TraceSession::markersChanged, this, &TraceView::PresentPlot);
}

QLabel* TraceView::makeIconButton(const char* name, int leftTwips, ViewIcon icon) {
  auto* button = new QLabel(this);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(twipsToPixels(leftTwips), 0, kIconWidth, kIconHeight);
  button->setPixmap(QPixmap::fromImage(viewIconImage(icon)));
  button->installEventFilter(this);
  return button;
}

void TraceView::setReadoutColour() {
  QPalette palette = label4_->palette();
  palette.setColor(QPalette::WindowText, session_.colourScheme() == kDarkScheme ? kWhite : kBlue);
  label4_->setPalette(palette);
}

void TraceView::InitPlotSurfaces() {
  setFixedSize(kPlotWidth, kPlotHeight);
  canvas_ = makePlotSurface();
  picture_ = makePlotSurface();
  update();
}

void TraceView::RedrawPlot() {
  cursorPoint_ = -1;
  if (const ForeignShown* f = session_.foreign()) {
    // Another maker's trace at its own spacing and levels; its window counts points.
    const auto first = static_cast<std::size_t>(f->view.ViewStart);
    const auto last = static_cast<std::size_t>(f->view.ViewEnd);
    const std::optional<LevelRange> range = levelRange();
    const LevelRange* levels = range ? &*range : nullptr;
    renderTraceCanvas(canvas_, f->trace, first, last, &frame_, nullptr, levels);
    canvasScale_ = traceCanvasScale(f->trace, first, last, levels);
    PresentPlot();
    return;
  }
  // The session never holds an empty or reversed window, so the frame always has width.
  const std::optional<LevelRange> range = levelRange();
  frame_ = renderPlotCanvas(canvas_, session_.record(), session_.header(), session_.view(),
                            session_.decoded().Ior, range ? &*range : nullptr);
  PresentPlot();
}

void TraceView::PresentPlot() {
  presentPlot(canvas_, picture_, session_.colourScheme());
  // The measuring overlay lives on the visible picture only, never on the canvas that the
  // report and the command line take; with nothing set the picture is the presentation.
  const Markers& m = session_.markers();
  if (m.any()) {
    MarkerOverlay overlay{m.a, m.b, m.showEvents, {}};
    const ForeignShown* f = session_.foreign();
    if (m.showEvents && markedEvents_) {
      for (std::size_t i = 0; i < markedEvents_->size(); ++i) {
        const double at = (*markedEvents_)[i];
        overlay.events.push_back(
            {static_cast<std::int32_t>(i + 1), f ? foreignPlotMetres(at) : at});
      }
    }
    if (f) {
      // Markers and events are in the trace's own frame; the plot counts from point 0.
      if (m.a) overlay.markerA = foreignPlotMetres(*m.a);
      if (m.b) overlay.markerB = foreignPlotMetres(*m.b);
      if (m.showEvents && !markedEvents_)
        for (std::size_t i = 0; i < f->trace.events.size(); ++i)
          overlay.events.push_back(
              {static_cast<std::int32_t>(i + 1), foreignPlotMetres(f->trace.events[i].distanceM)});
    } else if (m.showEvents && !markedEvents_) {
      overlay.events = eventMarks(session_.decoded());
    }
    for (EventMark& mark : overlay.events) {
      const auto index = static_cast<std::size_t>(mark.number - 1);
      if (mark.number > 0 && index < eventVerdicts_.size()) mark.pass = eventVerdicts_[index];
    }
    QPainter p(&picture_);
    paintMarkerOverlay(p, frame_, session_.colourScheme(), overlay);
  }
  update();
}

void TraceView::setMarkedEvents(std::optional<std::vector<double>> distancesM) {
  markedEvents_ = std::move(distancesM);
  PresentPlot();
}

void TraceView::setEventVerdicts(std::vector<std::optional<bool>> verdicts) {
  if (verdicts == eventVerdicts_) return;
  eventVerdicts_ = std::move(verdicts);
  PresentPlot();
}

bool TraceView::handleMarkerKey(int key) {
  if (!pointerOver_) return false;
  // On another maker's trace a marker stands on the crosshair's point, in the trace's frame.
  const ForeignShown* f = session_.foreign();
  const double at =
      f ? f->trace.distanceOf(static_cast<std::size_t>(std::max<std::int64_t>(0, cursorPoint_)))
        : cursorM_;
  switch (key) {
    case Qt::Key_A:
      if (f && cursorPoint_ < 0) return true;
      session_.setMarker('A', at);
      return true;
    case Qt::Key_B:
      if (f && cursorPoint_ < 0) return true;
      session_.setMarker('B', at);
      return true;
    case Qt::Key_E:
      session_.setShowEvents(!session_.markers().showEvents);
      return true;
    case Qt::Key_Escape:
      session_.clearMarkers();
      return true;
    default:
      return false;
  }
}

namespace {
// Each wheel notch or key press halves or doubles the window's width.
constexpr double kZoomStep = 2.0;
}  // namespace

bool TraceView::handleViewKey(int key) {
  if (!pointerOver_) return false;
  const double middle = (frame_.viewStartM + frame_.viewEndM) / 2.0;
  switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      session_.zoomAround(middle, 1.0 / kZoomStep);
      return true;
    case Qt::Key_Minus:
      session_.zoomAround(middle, kZoomStep);
      return true;
    case Qt::Key_Left:
      Picture5_Click();
      return true;
    case Qt::Key_Right:
      Picture6_Click();
      return true;
    case Qt::Key_Home:
      Picture4_Click();
      return true;
    default:
      return false;
  }
}

void TraceView::wheelEvent(QWheelEvent* event) {
  const int notches = event->angleDelta().y();
  if (notches == 0) {
    event->ignore();
    return;
  }
  const double x = frame_.xAt(event->position().x());
  session_.zoomAround(x, notches > 0 ? 1.0 / kZoomStep : kZoomStep);
  event->accept();
}

void TraceView::Command3_Click() {
  session_.toggleColourScheme();
}

void TraceView::Picture4_Click() {
  session_.fullView();
}

void TraceView::Picture5_Click() {
  session_.panTowardStart();
}

void TraceView::Picture6_Click() {
  session_.panTowardEnd();
}

void TraceView::Picture2_MouseDown(float x, float y) {
  dragStartM_ = holdInside(x, frame_.viewStartM, frame_.viewEndM);
  dragging_ = true;
  if (y > 0) dragStartY_ = nearest(y);
}

std::int64_t TraceView::foreignPointAt(double x) const {
  const ForeignShown* f = session_.foreign();
  const double point = std::round(x / f->trace.spacingM);
  const double lo = f->view.ViewStart;
  const double hi = std::min<double>(f->view.ViewEnd, static_cast<double>(f->trace.size() - 1));
  return static_cast<std::int64_t>(std::clamp(point, lo, std::max(lo, hi)));
}

double TraceView::foreignPlotMetres(double traceMetres) const {
  const ForeignShown* f = session_.foreign();
  return traceMetres - f->trace.originM;
}

void TraceView::foreignMouseMove(float x) {
  const ForeignShown& f = *session_.foreign();
  const std::int64_t point = foreignPointAt(x);
  if (point == cursorPoint_) return;
  PresentPlot();
  cursorPoint_ = point;
  cursorM_ = nearest(x);
  const auto i = static_cast<std::size_t>(point);
  // Where the curve drew the point, to the last bit.
  const double column = canvasScale_.x(i);
  const double row = canvasScale_.y(f.trace, i);
  QPainter p(&picture_);
  p.setPen(QPen(kBlue, 1, Qt::DashLine));
  p.drawLine(QLineF(column, PlotFrame::row(2000), column, PlotFrame::row(0)));
  p.drawLine(QLineF(frame_.column(frame_.viewStartM), row, frame_.column(frame_.viewEndM), row));
  const std::string sep = QLocale().decimalPoint().toStdString();
  label4_->setText(QStringLiteral("X:%1, Y:%2")
                       .arg(QString::fromStdString(fixedText(f.trace.distanceOf(i), 2, sep)))
                       .arg(QString::fromStdString(fixedText(f.trace.levelDb(i), 3, sep))));
  update();
}

void TraceView::Picture2_MouseMove(float x, float y) {
  if (!(frame_.viewStartM < x && x < frame_.viewEndM && y > 0)) return;
  const std::int32_t xm = nearest(x);
  if (session_.foreign()) {
    foreignMouseMove(x);
  } else if (xm != cursorM_) {
    PresentPlot();
    cursorM_ = xm;
    const std::optional<std::size_t> pos =
        CursorPosition(session_.header().StartPoint, cursorM_, session_.decoded().Ior);
    QPainter p(&picture_);
    p.setPen(QPen(kBlue, 1, Qt::DashLine));
    p.drawLine(QLineF(frame_.column(cursorM_), PlotFrame::row(2000), frame_.column(cursorM_),
                      PlotFrame::row(0)));
    // A position outside the record (no record yet, pointer at the far left) has no
    // level: the level line and the readout are skipped and the label keeps its text.
    if (pos) {
      const std::int32_t v = session_.record()[*pos];
      const double row = frame_.levelRow(v);
      p.drawLine(
          QLineF(frame_.column(frame_.viewStartM), row, frame_.column(frame_.viewEndM), row));
      const std::string sep = QLocale().decimalPoint().toStdString();
      label4_->setText(QStringLiteral("X:%1, Y:%2")
                           .arg(cursorM_)
                           .arg(QString::fromStdString(FormatLevel(v, sep))));
    }
    update();
  }
  if (dragging_) {
    const double x0 = frame_.column(dragStartM_);
    const double y0 = PlotFrame::row(dragStartY_);
    const double x1 = frame_.column(nearest(x));
    const double y1 = PlotFrame::row(nearest(y));
    QPainter p(&picture_);
    p.setPen(QPen(kBlue, 1, Qt::DotLine));
    p.drawLine(QLineF(x0, y0, x1, y0));
    p.drawLine(QLineF(x0, y0, x0, y1));
    p.drawLine(QLineF(x1, y0, x1, y1));
    p.drawLine(QLineF(x0, y1, x1, y1));
    update();
  }
}

void TraceView::Picture2_MouseUp(float x) {
  dragging_ = false;
  dragEndM_ = holdInside(x, frame_.viewStartM, frame_.viewEndM);
  dragStartM_ = cutToTens(dragStartM_);
  dragEndM_ = cutToTens(dragEndM_);
  session_.zoomTo(dragStartM_, dragEndM_);
}

std::optional<LevelRange> TraceView::levelRange() const {
  const std::optional<LevelZoom>& zoom = session_.levelZoom();
  if (!zoom) return std::nullopt;
  return LevelRange{zoom->bottomDb, zoom->topDb};
}

double TraceView::levelDbAtRow(double py) const {
  const double level = frame_.levelAt(py);
  if (session_.foreign()) return canvasScale_.lowDb + level * (canvasScale_.stepDb / 100.0);
  return level * kDbPerRecordLevel;
}

double TraceView::levelRowOfDb(double dB) const {
  if (session_.foreign())
    return frame_.levelRow((dB - canvasScale_.lowDb) / (canvasScale_.stepDb / 100.0));
  return frame_.levelRow(dB / kDbPerRecordLevel);
}

LevelZoom TraceView::shownLevels() const {
  // The level rows run from level 0 (on the bottom axis) to level 1000 (the top).
  return {levelDbAtRow(PlotFrame::row(0)), levelDbAtRow(PlotFrame::row(kPlotTop))};
}

namespace {
// A Shift drag shorter than this many rows is a slip of the hand, not a zoom.
constexpr double kMinLevelDragRows = 4;
}  // namespace

void TraceView::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  levelDrag_ = event->modifiers().testFlag(Qt::ShiftModifier);
  levelDragStartRow_ = at.y();
  rightPressAt_ = event->button() == Qt::RightButton ? at.toPoint() : QPoint(-1, -1);
  Picture2_MouseDown(static_cast<float>(frame_.xAt(at.x())),
                     static_cast<float>(PlotFrame::yAt(at.y())));
}

void TraceView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  pointerOver_ = true;
  Picture2_MouseMove(static_cast<float>(frame_.xAt(at.x())),
                     static_cast<float>(PlotFrame::yAt(at.y())));
}

void TraceView::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (levelDrag_) {
    levelDrag_ = false;
    dragging_ = false;
    // Rows beyond the picture count where the pointer is, so a drag may zoom out too.
    if (std::fabs(at.y() - levelDragStartRow_) >= kMinLevelDragRows) {
      if (const std::optional<LevelZoom> zoom =
              levelZoomBetween(levelDbAtRow(levelDragStartRow_), levelDbAtRow(at.y())))
        session_.setLevelZoom(*zoom);
    } else {
      PresentPlot();  // wipe the drag's box
    }
  } else {
    Picture2_MouseUp(static_cast<float>(frame_.xAt(at.x())));
  }
  // A right drag zooms as every drag does; a right click that stays put opens the menu.
  const bool rightClick = event->button() == Qt::RightButton && at.toPoint() == rightPressAt_;
  rightPressAt_ = QPoint(-1, -1);
  if (!rightClick) return;
  const double x = holdInside(frame_.xAt(at.x()), frame_.viewStartM, frame_.viewEndM);
  const ForeignShown* f = session_.foreign();
  emit contextMenuRequested(
      event->globalPosition().toPoint(),
      f ? f->trace.distanceOf(static_cast<std::size_t>(foreignPointAt(x))) : x);
}

void TraceView::leaveEvent(QEvent* event) {
  pointerOver_ = false;
  QWidget::leaveEvent(event);
}

bool TraceView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  const bool release = type == QEvent::MouseButtonRelease;
  if (!press && !release) return QWidget::eventFilter(watched, event);
  // The label and the buttons take their own clicks; none of them reaches the plot.
  if (release) {
    auto* widget = static_cast<QWidget*>(watched);
    const QPointF at = static_cast<QMouseEvent*>(event)->position();
    if (widget->rect().contains(at.toPoint())) {
      if (watched == picture4_) Picture4_Click();
      if (watched == picture5_) Picture5_Click();
      if (watched == picture6_) Picture6_Click();
    }
  }
  return true;
}

void TraceView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.drawImage(event->rect(), picture_, event->rect());
}

}  // namespace tracelink
