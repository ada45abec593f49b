#pragma once

#include <QStatusBar>
#include <QString>

namespace tracelink {

// The main window's status line. A text wider than the line is cut at its right end with
// "…" by the line's own width and font, and the whole text is then its tooltip; a text
// that fits is shown exactly as the plain status bar showed it, with no tooltip.
class StatusLine : public QStatusBar {
  Q_OBJECT

 public:
  explicit StatusLine(QWidget* parent = nullptr);

  void setText(const QString& text);
  // The whole text, however much of it is shown.
  const QString& text() const { return text_; }

 signals:
  // Every text set, whole (messageChanged gives only what is shown of it).
  void textChanged(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showText();

  QString text_;
};

}  // namespace tracelink
