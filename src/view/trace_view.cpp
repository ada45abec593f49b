#include "view/trace_view.h"

#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPixmap>

#include "record/units.h"
#include "view/plot_render.h"
#include "view/view_icons.h"

namespace tracelink {

namespace {

// Label4 lies inside the plot at 6120, 120 twips, 3375 x 255 twips.
constexpr int kLabelLeft = 6120 / kTwipsPerPixel;
constexpr int kLabelTop = 120 / kTwipsPerPixel;
constexpr int kLabelWidth = 3375 / kTwipsPerPixel;
constexpr int kLabelHeight = 255 / kTwipsPerPixel;

const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

int buttonOf(const QMouseEvent* event) {
  // VB numbering: 1 left, 2 right, 4 middle; the handlers ignore it anyway.
  switch (event->button()) {
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 1;
  }
}

int shiftOf(const QMouseEvent* event) {
  const Qt::KeyboardModifiers m = event->modifiers();
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
         (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace

TraceView::TraceView(const TraceRecord& record, HeaderState& header, ViewWindow& view,
                     const DecodedValues& decoded, QWidget* parent)
    : QWidget(parent),
      record_(record),
      header_(header),
      view_(view),
      decoded_(decoded),
      canvas_(makePlotSurface()),
      picture_(makePlotSurface()) {
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

  picture5_ = makeIconButton("Picture5", 9600, static_cast<int>(ViewIcon::PanTowardStart));
  picture6_ = makeIconButton("Picture6", 9960, static_cast<int>(ViewIcon::PanTowardEnd));
  picture4_ = makeIconButton("Picture4", 10320, static_cast<int>(ViewIcon::FullView));
}

QLabel* TraceView::makeIconButton(const char* name, int leftTwips, int icon) {
  auto* button = new QLabel(this);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(leftTwips / kTwipsPerPixel, 0, kIconWidth, kIconHeight);
  button->setPixmap(QPixmap::fromImage(viewIconImage(static_cast<ViewIcon>(icon))));
  button->installEventFilter(this);
  return button;
}

void TraceView::setReadoutColour() {
  QPalette palette = label4_->palette();
  palette.setColor(QPalette::WindowText, backColourMode_ == kDarkScheme ? kWhite : kBlue);
  label4_->setPalette(palette);
}

void TraceView::InitPlotSurfaces() {
  setFixedSize(kPlotWidth, kPlotHeight);
  canvas_ = makePlotSurface();
  picture_ = makePlotSurface();
  update();
}

void TraceView::RedrawPlot() {
  // Whatever set the window, the redraw never works on an empty or reversed one.
  repairWindow(view_);
  frame_ = renderPlotCanvas(canvas_, record_, header_, view_, decoded_.Ior);
  scaleText_ = QString::fromStdString(tracelink::scaleText(frame_.gridStep));
  emit scaleTextChanged(scaleText_);
  PresentPlot();
}

void TraceView::PresentPlot() {
  presentPlot(canvas_, picture_, backColourMode_);
  update();
}

void TraceView::Command3_Click() {
  backColourMode_ = backColourMode_ == kDarkScheme ? kLightScheme : kDarkScheme;
  setReadoutColour();
  PresentPlot();
}

void TraceView::Picture4_Click() {
  if (fullView(view_)) RedrawPlot();
}

void TraceView::Picture5_Click() {
  if (panTowardStart(view_)) RedrawPlot();
}

void TraceView::Picture6_Click() {
  if (panTowardEnd(view_)) RedrawPlot();
}

void TraceView::Picture2_MouseDown(int, int, float x, float y) {
  dragStartM_ = holdInside(x, frame_.viewStartM, frame_.viewEndM);
  dragging_ = true;
  if (y > 0) dragStartY_ = nearest(y);
}

void TraceView::Picture2_MouseMove(int, int, float x, float y) {
  if (!(frame_.viewStartM < x && x < frame_.viewEndM && y > 0)) return;
  const std::int32_t xm = nearest(x);
  if (xm != cursorM_) {
    PresentPlot();
    cursorM_ = xm;
    const double k = 2.0 * cursorM_ * usableIor(decoded_.Ior) / kLightSpeed;
    const std::int64_t pos = static_cast<std::int64_t>(header_.StartPoint) - 1 + nearest(k);
    QPainter p(&picture_);
    p.setPen(QPen(kBlue, 1, Qt::DashLine));
    p.drawLine(QLineF(frame_.column(cursorM_), PlotFrame::row(2000), frame_.column(cursorM_),
                      PlotFrame::row(0)));
    // A position outside the record (no record yet, pointer at the far left) has no
    // level: the level line and the readout are skipped and the label keeps its text.
    if (pos >= 0 && pos < kRecordWords) {
      const std::int32_t v = record_[static_cast<std::size_t>(pos)];
      const double row = PlotFrame::row(v);
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

void TraceView::Picture2_MouseUp(int, int, float x, float) {
  dragging_ = false;
  dragEndM_ = holdInside(x, frame_.viewStartM, frame_.viewEndM);
  dragStartM_ = cutToTens(dragStartM_);
  dragEndM_ = cutToTens(dragEndM_);
  if (const auto zoomed = zoomWindow(view_, dragStartM_, dragEndM_, decoded_.Ior)) {
    view_ = *zoomed;
    RedrawPlot();
  }
}

void TraceView::forwardMouse(QMouseEvent* event,
                             void (TraceView::*handler)(int, int, float, float)) {
  const QPointF at = event->position();
  (this->*handler)(buttonOf(event), shiftOf(event), static_cast<float>(frame_.xAt(at.x())),
                   static_cast<float>(PlotFrame::yAt(at.y())));
}

void TraceView::mousePressEvent(QMouseEvent* event) {
  forwardMouse(event, &TraceView::Picture2_MouseDown);
}

void TraceView::mouseMoveEvent(QMouseEvent* event) {
  forwardMouse(event, &TraceView::Picture2_MouseMove);
}

void TraceView::mouseReleaseEvent(QMouseEvent* event) {
  forwardMouse(event, &TraceView::Picture2_MouseUp);
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
