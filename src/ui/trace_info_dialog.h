#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>

#include "record/language.h"
#include "sor/sor_edit.h"
#include "trace/trace.h"
#include "ui/ui_strings.h"

namespace tracelink {

// Every field of a trace, one "name: value" line each under a heading per part (identity,
// acquisition, the trace and its key events, origin), in the build's language. sha256 is
// the digest of the file's bytes shown for the origin (empty for an upload); checksum how
// a SOR file's checksum compared (empty for any other).
QString traceInfoText(const Trace& trace, const QString& sha256, const QString& checksum,
                      const UiStrings& strings);

// "Trace information": the trace's fields, its identity texts editable, and "Save as
// SOR…", which the window carries out (saveAsSorRequested) and reports back through
// setMessage. Resizable; it is not modal, so the plot stays usable beside it.
class TraceInfoDialog : public QDialog {
  Q_OBJECT

 public:
  TraceInfoDialog(const Trace& trace, const QString& sha256, const QString& checksum,
                  Language language, QWidget* parent = nullptr);

  // The identity texts as edited.
  sor::IdentityTexts identity() const;
  // What the last save did, under the fields.
  void setMessage(const QString& text);
  QString message() const { return message_->text(); }

 signals:
  void saveAsSorRequested();

 private:
  const UiStrings& strings_;
  // Cable, fibre, location A, location B, operator, comment.
  std::array<QLineEdit*, 6> fields_{};
  QPlainTextEdit* info_ = nullptr;
  QLabel* message_ = nullptr;
};

}  // namespace tracelink
