#include "ui/cable_window.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>

#include "cable/cable_reading.h"
#include "record/fill_in.h"
#include "ui/cable_report_run.h"
#include "ui/cable_table.h"
#include "ui/qt_text.h"

namespace tracelink {

struct CableWindow::Job {
  std::atomic<bool> cancel{false};
  std::atomic<std::size_t> done{0};
  std::atomic<std::size_t> total{0};
  std::atomic<bool> judging{false};
};

CableWindow::CableWindow(Language language, std::shared_ptr<SaveDialog> saveDialog, QWidget* parent)
    : QWidget(parent, Qt::Window),
      language_(language),
      strings_(uiStrings(language)),
      saveDialog_(std::move(saveDialog)) {
  setObjectName(QStringLiteral("CableWindow"));
  setWindowTitle(fillIn(strings_.cableViewTitle, {QString()}));
  resize(960, 520);
  auto* layout = new QVBoxLayout(this);

  auto* options = new QHBoxLayout;
  options->addWidget(new QLabel(strings_.cablePattern, this));
  pattern_ = new QLineEdit(fromStd(cable::Pairing{}.namePattern), this);
  pattern_->setObjectName(QStringLiteral("CablePattern"));
  pattern_->setToolTip(strings_.cablePatternHint);
  options->addWidget(pattern_, 1);
  ourEvents_ = new QCheckBox(strings_.cableOurEvents, this);
  ourEvents_->setObjectName(QStringLiteral("CableOurEvents"));
  options->addWidget(ourEvents_);
  apply_ = new QPushButton(strings_.cableReadAgain, this);
  apply_->setObjectName(QStringLiteral("CableApply"));
  options->addWidget(apply_);
  layout->addLayout(options);

  model_ = new CableTableModel(language_, QLocale().decimalPoint().toStdString(), this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(CableTableModel::kSortRole);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("CableTable"));
  table_->setModel(sorted_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(CableTableModel::Fibre, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setWordWrap(false);
  layout->addWidget(table_, 1);

  auto* bottom = new QHBoxLayout;
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("CableSummary"));
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bottom->addWidget(summary_, 1);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("CableProgress"));
  progress_->setMaximumWidth(220);
  progress_->hide();
  bottom->addWidget(progress_);
  writeReport_ = new QPushButton(strings_.cableWriteReport, this);
  writeReport_->setObjectName(QStringLiteral("CableWriteReport"));
  bottom->addWidget(writeReport_);
  layout->addLayout(bottom);

  progressTimer_.setInterval(50);
  connect(&progressTimer_, &QTimer::timeout, this, &CableWindow::showProgress);
  connect(apply_, &QPushButton::clicked, this, [this] { start(false); });
  connect(pattern_, &QLineEdit::returnPressed, this, [this] { start(false); });
  connect(ourEvents_, &QCheckBox::toggled, this, [this] { start(false); });
  connect(writeReport_, &QPushButton::clicked, this, &CableWindow::writeReport);
  connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    const QString path = sorted_->data(index, CableTableModel::kPathRole).toString();
    if (!path.isEmpty()) emit openTrace(path);
  });
}

CableWindow::~CableWindow() {
  if (job_) job_->cancel = true;
  // The workers hold only what they were given, but must end before the window's thread
  // tears the application down.
  for (QThread* worker : findChildren<QThread*>()) worker->wait();
}

cable::Pairing CableWindow::pairing() const {
  cable::Pairing pairing;
  const QString pattern = pattern_->text().trimmed();
  if (!pattern.isEmpty()) pairing.namePattern = pattern.toStdString();
  return pairing;
}

void CableWindow::open(const QStringList& paths, const QString& title) {
  paths_ = paths;
  setWindowTitle(fillIn(strings_.cableViewTitle, {title}));
  start(true);
}

void CableWindow::setLimits(std::optional<cable::Limits> limits) {
  if (limits == limits_) return;
  limits_ = std::move(limits);
  // Nothing read yet: the reading under way judges by these when it ends.
  if (cable_ || busy_) start(!cable_);
}

void CableWindow::start(bool read) {
  if (!read && !cable_) read = true;
  if (job_) job_->cancel = true;
  auto job = std::make_shared<Job>();
  job_ = job;
  const std::uint64_t generation = ++generation_;
  busy_ = true;
  reportNote_.clear();
  writeReport_->setEnabled(false);
  progress_->setRange(0, 0);
  progress_->show();
  progressTimer_.start();

  std::vector<std::string> paths;
  for (const QString& p : paths_) paths.push_back(p.toStdString());
  // The files of the cable shown, read and analysed already: certify finds each one's
  // fibre and direction again for the pattern.
  std::shared_ptr<const cable::Cable> shown = read ? nullptr : cable_;
  const cable::Limits limits = limits_.value_or(cable::Limits{});
  const cable::Pairing pairing = this->pairing();
  const compare::EventSource events = ourEvents_->isChecked()
                                          ? compare::EventSource::Ours
                                          : compare::EventSource::InstrumentElseOurs;
  const Language language = language_;
  const Certified how{limits_, pairing, events};
  const unsigned threads = static_cast<unsigned>(std::max(1, QThread::idealThreadCount()));
  QThread* worker = QThread::create([=, this]() mutable {
    std::vector<cable::CableFile> files;
    if (shown) {
      files = shown->files;
      shown.reset();
    } else {
      // One folder is its trace files; anything else is the files given.
      if (paths.size() == 1 && QFileInfo(fromStd(paths.front())).isDir())
        paths = cable::traceFilesIn(paths.front());
      job->total = paths.size();
      std::optional<std::vector<cable::CableFile>> read =
          cable::readCableFiles(paths, language, threads, job->done, job->cancel);
      if (!read) return;
      files = std::move(*read);
    }
    job->judging = true;
    auto judged = std::make_shared<const cable::Cable>(
        cable::certify(std::move(files), limits, pairing, events));
    if (job->cancel) return;
    QMetaObject::invokeMethod(
        this, [this, generation, judged, how] { finished(generation, judged, how); },
        Qt::QueuedConnection);
  });
  worker->setParent(this);
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
}

void CableWindow::showProgress() {
  if (!job_ || !busy_) return;
  const std::size_t total = job_->total;
  if (total == 0 || job_->judging) {
    progress_->setRange(0, 0);
    return;
  }
  progress_->setRange(0, static_cast<int>(total));
  progress_->setValue(static_cast<int>(job_->done.load()));
  summary_->setText(
      fillIn(strings_.cableReading, {QString::number(job_->done.load()), QString::number(total)}));
}

void CableWindow::finished(std::uint64_t generation, std::shared_ptr<const cable::Cable> cable,
                           Certified how) {
  if (generation != generation_) return;  // overtaken by a later request
  busy_ = false;
  progressTimer_.stop();
  progress_->hide();
  cable_ = std::move(cable);
  certified_ = std::move(how);
  model_->setCable(cable_, limits_.has_value());
  table_->resizeColumnsToContents();
  // A failure's whole text is the cell's tooltip; the column keeps its heading in view.
  const int verdictWidth = table_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48;
  if (table_->columnWidth(CableTableModel::Verdict) > verdictWidth)
    table_->setColumnWidth(CableTableModel::Verdict, verdictWidth);
  writeReport_->setEnabled(!cable_->rows.empty() && !writing_);
  showSummary();
  emit ready();
}

void CableWindow::showSummary() {
  QStringList parts;
  if (cable_) {
    // A fibre has a row per wavelength: the counts are of fibres.
    const std::size_t passed = cable_->passed();
    const std::size_t failed = cable_->failed();
    const std::size_t fibres = passed + failed;
    if (cable_->rows.empty() && cable_->files.empty()) {
      parts << fillIn(strings_.cableNoTraces,
                      {paths_.size() == 1 ? QDir::toNativeSeparators(paths_.front())
                                          : QString::number(paths_.size())});
    } else if (limits_) {
      parts << fillIn(strings_.cableCounts,
                      {QString::number(fibres), QString::number(passed), QString::number(failed)});
    } else {
      parts << fillIn(strings_.cableCountsNoLimits, {QString::number(fibres)});
    }
    std::size_t bad = 0;
    QString first;
    for (const cable::CableFile& f : cable_->files) {
      if (f.trace) continue;
      if (bad++ == 0) first = fromStd(f.error);
    }
    if (bad > 0) parts << fillIn(strings_.cableBadFiles, {QString::number(bad), first});
  }
  if (!reportNote_.isEmpty()) parts << reportNote_;
  summary_->setText(parts.join(strings_.refusedSeparator));
  summary_->setToolTip(summary_->text());
}

QString CableWindow::summaryText() const {
  return summary_->text();
}

QString CableWindow::folder() const {
  if (paths_.isEmpty()) return {};
  const QFileInfo first(paths_.front());
  return first.isDir() ? first.absoluteFilePath() : first.absolutePath();
}

void CableWindow::writeReport() {
  if (!cable_ || busy() || cable_->rows.empty()) return;
  if (!certified_.limits) {
    reportNote_ = strings_.cableNeedsLimits;
    showSummary();
    emit reportFinished(reportNote_);
    return;
  }
  if (!saveDialog_) return;
  const QString pdf = saveDialog_->askSavePath(this, strings_.cableReportTitle, folder(),
                                               strings_.cableReportFilter);
  if (pdf.isEmpty()) return;

  // The report's cable and operator are the ones the traces name.
  CableReportInfo info;
  for (const cable::CableFile& f : cable_->files) {
    if (!f.trace) continue;
    info.cable = fromStd(f.trace->identity.cable).trimmed();
    info.operatorName = fromStd(f.trace->identity.operatorName).trimmed();
    break;
  }
  info.date = QDateTime::currentDateTime();
  info.language = language_;
  info.decimalSeparator = QLocale().decimalPoint();
  info.pairing = certified_.pairing;
  info.events = certified_.events;

  writing_ = true;
  writeReport_->setEnabled(false);
  progress_->setRange(0, 0);
  progress_->show();
  auto cable = cable_;
  const cable::Limits limits = *certified_.limits;
  QThread* worker = QThread::create([this, cable, limits, info, pdf] {
    const CableReportOutcome outcome = writeCableReport(*cable, limits, info, pdf);
    QMetaObject::invokeMethod(
        this,
        [this, pdf, outcome] { reportWritten(pdf, outcome.csv, outcome.xlsx, outcome.problem); },
        Qt::QueuedConnection);
  });
  worker->setParent(this);
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
}

void CableWindow::reportWritten(const QString& pdf, const QString& csv, const QString& xlsx,
                                const QString& problem) {
  writing_ = false;
  if (!busy_) {
    progress_->hide();
    writeReport_->setEnabled(cable_ && !cable_->rows.empty());
  }
  reportNote_ =
      problem.isEmpty()
          ? fillIn(strings_.cableReportWritten,
                   {QDir::toNativeSeparators(pdf),
                    QFileInfo(csv).fileName() + QStringLiteral(", ") + QFileInfo(xlsx).fileName()})
          : fillIn(strings_.cableReportFailed, {problem});
  showSummary();
  emit reportFinished(reportNote_);
}

}  // namespace tracelink
