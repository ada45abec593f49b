#include "ui/status_line.h"

#include <QFontMetrics>

namespace tracelink {

namespace {

// The status bar draws its message from 6 pixels in to 12 pixels short of its right edge.
constexpr int kMessageInsets = 6 + 12;

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {}

void StatusLine::setText(const QString& text) {
  text_ = text;
  showText();
  emit textChanged(text_);
}

void StatusLine::resizeEvent(QResizeEvent* event) {
  QStatusBar::resizeEvent(event);
  showText();
}

void StatusLine::showText() {
  const int room = width() - kMessageInsets;
  const QFontMetrics metrics(font());
  // One line: a line break in a message would otherwise hide what follows it.
  QString oneLine = text_;
  oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QString shown = metrics.elidedText(oneLine, Qt::ElideRight, room);
  setToolTip(shown == text_ ? QString() : text_);
  if (text_.isEmpty())
    clearMessage();
  else
    showMessage(shown);
}

}  // namespace tracelink
