#include "ui/compare_dialogs.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "compare/compare_strings.h"
#include "record/fill_in.h"
#include "ui/compare_format.h"
#include "ui/compare_report.h"
#include "ui/compare_window.h"
#include "ui/export_file.h"
#include "ui/qt_text.h"
#include "ui/ui_strings.h"

namespace tracelink {

QTableWidget* resultTable(QWidget* parent, const char* name, const QStringList& headings) {
  auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  table->setObjectName(QString::fromLatin1(name));
  table->setHorizontalHeaderLabels(headings);
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

namespace {

void setRow(QTableWidget* table, int row, const QStringList& values) {
  for (int c = 0; c < values.size(); ++c) {
    auto* item = new QTableWidgetItem(values[c]);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, c, item);
  }
}

QComboBox* traceChoice(QWidget* parent, const char* name,
                       const std::vector<ComparedTrace>& traces) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const ComparedTrace& t : traces) box->addItem(t.name);
  return box;
}

QLabel* messageLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

BidirDialog::BidirDialog(Language language, const std::vector<ComparedTrace>& traces,
                         std::shared_ptr<SaveDialog> saveDialog, QString folder, QWidget* parent)
    : QDialog(parent, Qt::Window),
      language_(language),
      strings_(uiStrings(language)),
      traces_(traces),
      saveDialog_(std::move(saveDialog)),
      folder_(std::move(folder)) {
  setObjectName(QStringLiteral("BidirDialog"));
  setWindowTitle(strings_.bidirTitle);
  a_ = traceChoice(this, "BidirA", traces_);
  b_ = traceChoice(this, "BidirB", traces_);
  tolerance_ = new QLineEdit(this);
  tolerance_->setObjectName(QStringLiteral("BidirTolerance"));
  tolerance_->setPlaceholderText(strings_.bidirAutomatic);
  events_ = new QComboBox(this);
  events_->setObjectName(QStringLiteral("BidirEvents"));
  events_->addItems({strings_.bidirEventsInstrument, strings_.bidirEventsOurs});
  const compare::CompareStrings& c = compare::compareStrings(language_);
  table_ =
      resultTable(this, "BidirTable",
                  {fromStd(c.number), fromStd(c.distance), fromStd(c.lossAB), fromStd(c.lossBA),
                   fromStd(c.average), fromStd(c.reflectance), strings_.bidirOneWay});
  totals_ = messageLabel(this, "BidirTotals");
  message_ = messageLabel(this, "BidirMessage");
  savePdf_ = new QPushButton(strings_.bidirSavePdf, this);
  savePdf_->setObjectName(QStringLiteral("BidirSavePdf"));
  savePdf_->setAutoDefault(false);

  auto* form = new QFormLayout;
  form->addRow(strings_.bidirTraceA, a_);
  form->addRow(strings_.bidirTraceB, b_);
  form->addRow(strings_.bidirTolerance, tolerance_);
  form->addRow(strings_.bidirEvents, events_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(savePdf_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(message_);
  layout->addWidget(table_, 1);
  layout->addWidget(totals_);
  layout->addLayout(buttons);
  resize(720, 480);

  if (traces_.size() >= 2) b_->setCurrentIndex(1);
  connect(a_, &QComboBox::currentIndexChanged, this, &BidirDialog::run);
  connect(b_, &QComboBox::currentIndexChanged, this, &BidirDialog::run);
  connect(events_, &QComboBox::currentIndexChanged, this, &BidirDialog::run);
  connect(tolerance_, &QLineEdit::editingFinished, this, &BidirDialog::run);
  connect(savePdf_, &QPushButton::clicked, this, &BidirDialog::SavePdf);
  run();
}

void BidirDialog::choose(int a, int b) {
  {
    // One run for both choices, not one per box.
    const QSignalBlocker quietA(a_);
    const QSignalBlocker quietB(b_);
    a_->setCurrentIndex(a);
    b_->setCurrentIndex(b);
  }
  run();
}

void BidirDialog::setTolerance(const QString& text) {
  tolerance_->setText(text);
  run();
}

void BidirDialog::setOurEvents(bool ours) {
  {
    const QSignalBlocker quiet(events_);
    events_->setCurrentIndex(ours ? 1 : 0);
  }
  run();
}

QString BidirDialog::message() const {
  return message_->text();
}

void BidirDialog::run() {
  result_.reset();
  table_->setRowCount(0);
  totals_->clear();
  savePdf_->setEnabled(false);
  const int a = a_->currentIndex();
  const int b = b_->currentIndex();
  if (a < 0 || b < 0) return;
  if (a == b) {
    message_->setText(strings_.bidirSameTrace);
    return;
  }
  compare::BidirOptions options;
  options.events = events_->currentIndex() == 1 ? compare::EventSource::Ours
                                                : compare::EventSource::InstrumentElseOurs;
  const QString typed = tolerance_->text().trimmed();
  if (!typed.isEmpty()) {
    bool ok = false;
    const double metres = QLocale().toDouble(typed, &ok);
    if (!ok || !std::isfinite(metres) || metres <= 0) {
      message_->setText(strings_.bidirBadTolerance);
      return;
    }
    options.toleranceM = metres;
  }
  const ComparedTrace& ta = traces_[static_cast<std::size_t>(a)];
  const ComparedTrace& tb = traces_[static_cast<std::size_t>(b)];
  const std::string nameA = ta.name.toStdString();
  const std::string nameB = tb.name.toStdString();
  compare::BidirOutcome outcome = compare::bidirectional(
      ta.trace, tb.trace, eventsOf(static_cast<std::size_t>(a), options.events),
      eventsOf(static_cast<std::size_t>(b), options.events), options);
  if (const auto* problem = std::get_if<compare::BidirProblem>(&outcome)) {
    message_->setText(fromStd(compare::problemText(*problem, nameA, nameB, language_)));
    return;
  }
  result_ = std::move(std::get<compare::BidirResult>(outcome));
  QStringList warnings;
  for (const compare::BidirNote& note : result_->warnings)
    warnings << fromStd(compare::warningText(note, nameA, nameB, language_));
  message_->setText(warnings.join(QLatin1Char('\n')));
  showResult(*result_);
  savePdf_->setEnabled(true);
}

const compare::FibreEvents& BidirDialog::eventsOf(std::size_t trace, compare::EventSource source) {
  const auto key = std::pair{trace, source};
  auto found = found_.find(key);
  if (found == found_.end())
    found = found_.emplace(key, compare::fibreEvents(traces_[trace].trace, source)).first;
  return found->second;
}

void BidirDialog::showResult(const compare::BidirResult& r) {
  const compare::CompareStrings& c = compare::compareStrings(language_);
  const QString none = strings_.unknownValue;
  table_->setRowCount(static_cast<int>(r.events.size()));
  for (std::size_t i = 0; i < r.events.size(); ++i) {
    const compare::BidirEvent& e = r.events[i];
    setRow(table_, static_cast<int>(i),
           {QString::number(e.no), fixedFigure(e.distanceM, 2), fixedFigure(e.lossAB, 3, none),
            fixedFigure(e.lossBA, 3, none), fixedFigure(e.averageDb, 3),
            fixedFigure(e.reflectanceDb, 2, none),
            e.oneDirection ? fromStd(c.oneDirection) : QString()});
  }
  totals_->setText(
      fillIn(fromStd(c.bidirHead), {fixedFigure(r.wavelengthNm, 0), fixedFigure(r.lengthM, 2),
                                    fixedFigure(r.toleranceM, 1)}) +
      QLatin1Char('\n') +
      fillIn(fromStd(c.bidirTotals), {fixedFigure(r.totalLossAB, 3), fixedFigure(r.totalLossBA, 3),
                                      fixedFigure(r.totalLossDb, 3)}));
}

void BidirDialog::SavePdf() {
  if (!result_) return;
  const ComparedTrace& ta = traces_[static_cast<std::size_t>(a_->currentIndex())];
  const ComparedTrace& tb = traces_[static_cast<std::size_t>(b_->currentIndex())];
  const Result<QByteArray> pdf = bidirPdfBytes(*result_, ta, tb, language_);
  QString said;
  if (!pdf) {
    said = fillIn(strings_.comparePdfFailed, {fromStd(pdf.error().text(language_))});
  } else {
    said = saveExport(*saveDialog_, this,
                      std::string_view(pdf->constData(), static_cast<std::size_t>(pdf->size())),
                      strings_.comparePdfTitle, folder_, strings_.comparePdfFilter,
                      strings_.comparePdfSaved, strings_.comparePdfFailed, language_);
    if (said.isEmpty()) return;
  }
  // Said under the table, after the warnings that belong to the result.
  const QString before = message_->text();
  message_->setText(before.isEmpty() ? said : before + QLatin1Char('\n') + said);
}

BendsDialog::BendsDialog(Language language, const std::vector<ComparedTrace>& traces,
                         QWidget* parent)
    : QDialog(parent, Qt::Window),
      language_(language),
      strings_(uiStrings(language)),
      traces_(traces) {
  setObjectName(QStringLiteral("BendsDialog"));
  setWindowTitle(strings_.bendsTitle);
  first_ = traceChoice(this, "BendsFirst", traces_);
  second_ = traceChoice(this, "BendsSecond", traces_);
  delta_ = new QDoubleSpinBox(this);
  delta_->setObjectName(QStringLiteral("BendsDelta"));
  delta_->setRange(0.01, 10);
  delta_->setDecimals(2);
  delta_->setSingleStep(0.1);
  delta_->setValue(compare::kDefaultBendDeltaDb);
  const compare::CompareStrings& c = compare::compareStrings(language_);
  table_ = resultTable(
      this, "BendsTable",
      {fromStd(c.number), fromStd(c.distance), fillIn(fromStd(c.lossAt), {strings_.unknownValue}),
       fillIn(fromStd(c.lossAt), {strings_.unknownValue}), fromStd(c.bend)});
  summary_ = messageLabel(this, "BendsSummary");
  message_ = messageLabel(this, "BendsMessage");

  auto* form = new QFormLayout;
  form->addRow(strings_.bendsFirst, first_);
  form->addRow(strings_.bendsSecond, second_);
  form->addRow(strings_.bendsDelta, delta_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(message_);
  layout->addWidget(table_, 1);
  layout->addWidget(summary_);
  resize(560, 420);

  // At start the first pair of traces that differ in wavelength, else the first two.
  int first = 0;
  int second = traces_.size() >= 2 ? 1 : 0;
  bool found = false;
  for (std::size_t i = 0; i < traces_.size() && !found; ++i)
    for (std::size_t j = i + 1; j < traces_.size() && !found; ++j)
      if (std::fabs(traces_[i].trace.acquisition.wavelengthNm -
                    traces_[j].trace.acquisition.wavelengthNm) >= 1) {
        first = static_cast<int>(i);
        second = static_cast<int>(j);
        found = true;
      }
  first_->setCurrentIndex(first);
  second_->setCurrentIndex(second);
  connect(first_, &QComboBox::currentIndexChanged, this, &BendsDialog::run);
  connect(second_, &QComboBox::currentIndexChanged, this, &BendsDialog::run);
  connect(delta_, &QDoubleSpinBox::valueChanged, this, &BendsDialog::run);
  run();
}

void BendsDialog::choose(int first, int second) {
  {
    const QSignalBlocker quietFirst(first_);
    const QSignalBlocker quietSecond(second_);
    first_->setCurrentIndex(first);
    second_->setCurrentIndex(second);
  }
  run();
}

void BendsDialog::setDeltaDb(double dB) {
  {
    const QSignalBlocker quiet(delta_);
    delta_->setValue(dB);
  }
  run();
}

QString BendsDialog::message() const {
  return message_->text();
}

void BendsDialog::run() {
  result_.reset();
  table_->setRowCount(0);
  summary_->clear();
  message_->clear();
  const int first = first_->currentIndex();
  const int second = second_->currentIndex();
  if (first < 0 || second < 0) return;
  const ComparedTrace& t1 = traces_[static_cast<std::size_t>(first)];
  const ComparedTrace& t2 = traces_[static_cast<std::size_t>(second)];
  compare::BendOptions options;
  options.deltaDb = delta_->value();
  compare::BendOutcome outcome = compare::findBends(t1.trace, t2.trace, options);
  if (const auto* problem = std::get_if<compare::BendProblem>(&outcome)) {
    message_->setText(fromStd(
        compare::problemText(*problem, t1.name.toStdString(), t2.name.toStdString(), language_)));
    return;
  }
  result_ = std::move(std::get<compare::BendResult>(outcome));
  const compare::BendResult& r = *result_;
  const compare::CompareStrings& c = compare::compareStrings(language_);
  table_->setHorizontalHeaderItem(
      2, new QTableWidgetItem(fillIn(fromStd(c.lossAt), {fixedFigure(r.shortNm, 0)})));
  table_->setHorizontalHeaderItem(
      3, new QTableWidgetItem(fillIn(fromStd(c.lossAt), {fixedFigure(r.longNm, 0)})));
  const QString none = strings_.unknownValue;
  table_->setRowCount(static_cast<int>(r.events.size()));
  int bends = 0;
  for (std::size_t i = 0; i < r.events.size(); ++i) {
    const compare::BendEvent& e = r.events[i];
    if (e.bend) ++bends;
    setRow(table_, static_cast<int>(i),
           {QString::number(e.no), fixedFigure(e.distanceM, 2), fixedFigure(e.lossShortDb, 3, none),
            fixedFigure(e.lossLongDb, 3, none), e.bend ? fromStd(c.bend) : QString()});
  }
  summary_->setText(
      fillIn(fromStd(c.bendsHead),
             {fixedFigure(r.shortNm, 0), fixedFigure(r.longNm, 0), fixedFigure(r.deltaDb, 2)}) +
      QLatin1Char('\n') +
      fillIn(strings_.bendsSummary, {QString::number(bends), QString::number(r.events.size())}));
}

}  // namespace tracelink
