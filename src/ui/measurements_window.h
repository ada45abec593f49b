#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "record/language.h"

class QPlainTextEdit;
class QPushButton;

namespace tracelink {

// What the Measurements window shows: the markers' readout, the event-loss result and
// the last status messages, oldest first. An empty readout or result means none is set.
struct MeasurementsContent {
  QString readout;
  QString eventLoss;
  QStringList messages;
  bool operator==(const MeasurementsContent&) const = default;
};

// The status line has room for one line of a fixed window; this window, resizable and
// its text selectable and copyable, holds what does not fit there. It only shows what
// it is given.
class MeasurementsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MeasurementsWindow(Language language, QWidget* parent = nullptr);

  void setContent(const MeasurementsContent& content);
  // The text as shown, for copying and for tests.
  QString text() const;

 private:
  Language language_;
  QPlainTextEdit* text_;
  QPushButton* copy_;
  MeasurementsContent content_;
  bool shownOnce_ = false;
};

// The window's text for content, in the build's language.
QString measurementsText(const MeasurementsContent& content, Language language);

}  // namespace tracelink
