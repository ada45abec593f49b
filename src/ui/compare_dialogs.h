#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "compare/bends.h"
#include "compare/bidir.h"
#include "record/language.h"
#include "ui/platform.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tracelink {

struct ComparedTrace;
struct UiStrings;

// A table of results under these headings that cannot be edited, its columns as wide as
// their contents.
QTableWidget* resultTable(QWidget* parent, const char* name, const QStringList& headings);

// "Two directions…": one fibre measured from end A and from end B, chosen among the traces
// of the Compare window (the first two at start). Each event's loss both ways and their
// average, or the refusal naming both files. It works again whenever a choice changes.
class BidirDialog : public QDialog {
  Q_OBJECT

 public:
  // traces: the Compare window's, which outlive the dialog.
  BidirDialog(Language language, const std::vector<ComparedTrace>& traces,
              std::shared_ptr<SaveDialog> saveDialog, QString folder, QWidget* parent);

  void choose(int a, int b);
  // The tolerance as typed: empty for the automatic one.
  void setTolerance(const QString& text);
  void setOurEvents(bool ours);
  void run();
  const std::optional<compare::BidirResult>& result() const { return result_; }
  // The refusal, the warnings or what was typed wrong; empty when there is nothing to say.
  QString message() const;
  void SavePdf();

 private:
  void showResult(const compare::BidirResult& result);
  // A trace's events from a source, found the first time they are asked for: the choices
  // change often, the traces never while the dialog lives.
  const compare::FibreEvents& eventsOf(std::size_t trace, compare::EventSource source);

  Language language_;
  const UiStrings& strings_;
  const std::vector<ComparedTrace>& traces_;
  std::shared_ptr<SaveDialog> saveDialog_;
  QString folder_;
  std::optional<compare::BidirResult> result_;
  std::map<std::pair<std::size_t, compare::EventSource>, compare::FibreEvents> found_;
  QComboBox* a_ = nullptr;
  QComboBox* b_ = nullptr;
  QLineEdit* tolerance_ = nullptr;
  QComboBox* events_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* totals_ = nullptr;
  QLabel* message_ = nullptr;
  QPushButton* savePdf_ = nullptr;
};

// "Bends…": two traces of one fibre at different wavelengths; the events that lose more at
// the longer one by more than the difference given are bends.
class BendsDialog : public QDialog {
  Q_OBJECT

 public:
  BendsDialog(Language language, const std::vector<ComparedTrace>& traces, QWidget* parent);

  void choose(int first, int second);
  void setDeltaDb(double dB);
  void run();
  const std::optional<compare::BendResult>& result() const { return result_; }
  QString message() const;

 private:
  Language language_;
  const UiStrings& strings_;
  const std::vector<ComparedTrace>& traces_;
  std::optional<compare::BendResult> result_;
  QComboBox* first_ = nullptr;
  QComboBox* second_ = nullptr;
  QDoubleSpinBox* delta_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* message_ = nullptr;
};

}  // namespace tracelink
