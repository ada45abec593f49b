#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "cable/limits.h"
#include "cable/summary.h"
#include "record/language.h"
#include "ui/platform.h"
#include "ui/ui_strings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace tracelink {

class CableTableModel;

// A folder of traces, or a chosen list of them, seen as one cable: one row per fibre,
// sortable, judged by the window's limits. The files are read on worker threads while a
// progress bar runs, so the window stays responsive; a new request overtakes one still
// running. A double click asks for the fibre's trace to be opened in the main window.
class CableWindow : public QWidget {
  Q_OBJECT

 public:
  CableWindow(Language language, std::shared_ptr<SaveDialog> saveDialog, QWidget* parent = nullptr);
  // Stops the reading and waits for its workers.
  ~CableWindow() override;

  // Reads paths as one cable: one folder (its trace files), or the trace files given.
  void open(const QStringList& paths, const QString& title);
  // Judges the cable by limits (none: nothing is judged), without reading it again.
  void setLimits(std::optional<cable::Limits> limits);
  // Reading, judging or writing the report is under way.
  bool busy() const { return busy_ || writing_; }
  // The cable shown, or null before the first one is ready.
  const cable::Cable* cable() const { return cable_.get(); }
  QTableView* table() const { return table_; }
  CableTableModel* model() const { return model_; }
  // The line under the table: the counts, the files that could not be read, the outcome
  // of the last report.
  QString summaryText() const;
  // Asks where to write the cable report and writes it on a worker (PDF, and CSV and
  // XLSX beside it); reportFinished tells how it went.
  void writeReport();

 signals:
  // The user asked for this trace in the main window.
  void openTrace(const QString& path);
  // The table shows the cable just read or judged.
  void ready();
  // The report was written, or why not (as the summary line says it).
  void reportFinished(const QString& note);

 private:
  struct Job;
  // How the cable shown was certified, for its report.
  struct Certified {
    std::optional<cable::Limits> limits;
    cable::Pairing pairing;
    compare::EventSource events = compare::EventSource::InstrumentElseOurs;
  };
  void start(bool read);
  void finished(std::uint64_t generation, std::shared_ptr<const cable::Cable> cable, Certified how);
  void reportWritten(const QString& pdf, const QString& csv, const QString& xlsx,
                     const QString& problem);
  QString folder() const;
  void showProgress();
  void showSummary();
  cable::Pairing pairing() const;

  Language language_;
  const UiStrings& strings_;
  std::shared_ptr<SaveDialog> saveDialog_;
  QStringList paths_;
  std::optional<cable::Limits> limits_;
  // The cable as last read and judged; its files are judged again for other limits.
  std::shared_ptr<const cable::Cable> cable_;
  Certified certified_;
  bool writing_ = false;
  std::shared_ptr<Job> job_;
  std::uint64_t generation_ = 0;
  bool busy_ = false;
  QString reportNote_;

  QLineEdit* pattern_ = nullptr;
  QCheckBox* ourEvents_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* writeReport_ = nullptr;
  QTableView* table_ = nullptr;
  CableTableModel* model_ = nullptr;
  QSortFilterProxyModel* sorted_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* summary_ = nullptr;
  QTimer progressTimer_;
};

}  // namespace tracelink
