#include "ui/measurements_window.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "record/fill_in.h"
#include "ui/ui_strings.h"

namespace tracelink {

QString measurementsText(const MeasurementsContent& content, Language language) {
  const UiStrings& s = uiStrings(language);
  QStringList lines;
  lines << s.measurementsMarkers;
  lines << (content.readout.isEmpty() ? s.measurementsNoMarkers : content.readout);
  lines << QString() << s.measurementsEventLoss;
  lines << (content.eventLoss.isEmpty() ? s.measurementsNoEvent : content.eventLoss);
  lines << QString() << fillIn(s.measurementsMessages, {QString::number(content.messages.size())});
  lines << content.messages;
  return lines.join(QLatin1Char('\n'));
}

MeasurementsWindow::MeasurementsWindow(Language language, QWidget* parent)
    : QWidget(parent, Qt::Window), language_(language) {
  const UiStrings& s = uiStrings(language);
  setObjectName(QStringLiteral("MeasurementsWindow"));
  setWindowTitle(s.measurementsTitle);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("MeasurementsText"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  copy_ = new QPushButton(s.measurementsCopy, this);
  copy_->setObjectName(QStringLiteral("MeasurementsCopy"));
  connect(copy_, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(text()); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(copy_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addLayout(buttons);
  resize(560, 360);
  setContent({});
}

void MeasurementsWindow::setContent(const MeasurementsContent& content) {
  if (content == content_ && shownOnce_) return;
  shownOnce_ = true;
  content_ = content;
  // The newest message is at the bottom; keep it in sight unless the user scrolled up.
  QScrollBar* bar = text_->verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  const int kept = bar->value();
  text_->setPlainText(measurementsText(content, language_));
  bar->setValue(atEnd ? bar->maximum() : kept);
}

QString MeasurementsWindow::text() const {
  return text_->toPlainText();
}

}  // namespace tracelink
