#include "ui/compare_window.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "compare/compare_strings.h"
#include "measure/measure.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "render/overlay_plot.h"
#include "trace/load_trace.h"
#include "ui/compare_dialogs.h"
#include "ui/compare_format.h"
#include "ui/compare_plot.h"
#include "ui/compare_report.h"
#include "ui/export_file.h"
#include "ui/qt_text.h"
#include "ui/settings.h"
#include "ui/status_line.h"
#include "ui/ui_strings.h"

namespace tracelink {

namespace {

// Offsets beyond this would move a trace off any level axis worth reading.
constexpr double kMaxOffsetDb = 60;

enum LegendColumn {
  kLegendFile,
  kLegendWavelength,
  kLegendPulse,
  kLegendDate,
  kLegendOffset,
  kLegendReading,
  kLegendColumns
};
enum MarkerColumn {
  kMarkerFile,
  kMarkerA,
  kMarkerB,
  kMarkerLoss,
  kMarkerTwoPoint,
  kMarkerLsa,
  kMarkerColumns
};

QIcon colourIcon(std::size_t i) {
  QPixmap swatch(14, 14);
  swatch.fill(QColor::fromRgb(overlayColour(i)));
  return QIcon(swatch);
}

QTableWidgetItem* cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

// The window's tables: results that are not chosen from either.
QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headings) {
  QTableWidget* table = resultTable(parent, name, headings);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  return table;
}

}  // namespace

CompareWindow::CompareWindow(Language language, CompareWindowOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window),
      language_(language),
      strings_(uiStrings(language)),
      options_(std::move(options)) {
  if (!options_.saveDialog) options_.saveDialog = std::make_shared<QtSaveDialog>();
  setObjectName(QStringLiteral("CompareWindow"));
  setWindowTitle(strings_.compareTitle);
  buildControls();
  resize(1040, 720);
  keepWindowGeometry(options_.settings, this, QStringLiteral("compare/geometry"));
}

CompareWindow::~CompareWindow() {
  // The dialogs read this window's traces; they go first.
  delete bidir_.data();
  delete bends_.data();
}

void CompareWindow::buildControls() {
  plot_ = new ComparePlot(this);
  const auto button = [this](const QString& text, const char* name) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* align = button(strings_.compareAlign, "CompareAlign");
  QPushButton* full = button(strings_.compareFullView, "CompareFullView");
  QPushButton* png = button(strings_.exportPng, "CompareExportPng");
  QPushButton* pdf = button(strings_.compareExportPdf, "CompareExportPdf");
  twoDirections_ = button(strings_.compareTwoDirections, "CompareTwoDirections");
  bendsButton_ = button(strings_.compareBends, "CompareBends");
  connect(align, &QPushButton::clicked, this, &CompareWindow::alignAtCursor);
  connect(full, &QPushButton::clicked, plot_, &ComparePlot::fullView);
  connect(png, &QPushButton::clicked, this, &CompareWindow::ExportPng);
  connect(pdf, &QPushButton::clicked, this, &CompareWindow::ExportPdf);
  connect(twoDirections_, &QPushButton::clicked, this, [this] { showTwoDirections(); });
  connect(bendsButton_, &QPushButton::clicked, this, [this] { showBends(); });

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {align, full, png, pdf, twoDirections_, bendsButton_})
    buttons->addWidget(b);
  buttons->addStretch();

  auto* top = new QHBoxLayout;
  top->addWidget(plot_, 0, Qt::AlignTop);
  top->addLayout(buttons);
  top->addStretch();

  cursorLabel_ = new QLabel(this);
  cursorLabel_->setObjectName(QStringLiteral("CompareCursor"));
  markersLabel_ = new QLabel(this);
  markersLabel_->setObjectName(QStringLiteral("CompareMarkerPlaces"));
  auto* hint = new QLabel(strings_.compareHint, this);
  hint->setObjectName(QStringLiteral("CompareHint"));
  hint->setWordWrap(true);
  auto* readout = new QHBoxLayout;
  readout->addWidget(cursorLabel_);
  readout->addSpacing(24);
  readout->addWidget(markersLabel_);
  readout->addStretch();

  legend_ = makeTable(this, "CompareLegend",
                      {strings_.compareFile, strings_.compareWavelength, strings_.comparePulse,
                       strings_.compareDate, strings_.compareOffset, strings_.compareAtCursor});
  connect(legend_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() != kLegendFile) return;
    setShown(static_cast<std::size_t>(item->row()), item->checkState() == Qt::Checked);
  });
  markerTable_ = makeTable(this, "CompareMarkers",
                           {strings_.compareFile, strings_.compareLevelA, strings_.compareLevelB,
                            strings_.compareLoss, strings_.compareTwoPoint, strings_.compareLsa});

  status_ = new StatusLine(this);
  status_->setObjectName(QStringLiteral("CompareStatus"));
  status_->setSizeGripEnabled(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(readout);
  layout->addWidget(hint);
  layout->addWidget(legend_, 1);
  layout->addWidget(markerTable_, 1);
  layout->addWidget(status_);

  connect(plot_, &ComparePlot::cursorMoved, this, &CompareWindow::showReadings);
  connect(plot_, &ComparePlot::markersChanged, this, &CompareWindow::showMeasurements);
}

void CompareWindow::keyPressEvent(QKeyEvent* event) {
  if (!plot_->handleKey(event->key())) QWidget::keyPressEvent(event);
}

void CompareWindow::openFiles(const QStringList& paths) {
  // More than eight are refused before any is read.
  if (static_cast<std::size_t>(paths.size()) > compare::kMaxOverlay) {
    setStatus(fromStd(compare::tooManyText(static_cast<std::size_t>(paths.size()), language_)));
    return;
  }
  std::vector<ComparedTrace> loaded;
  QStringList problems;
  for (const QString& path : paths) {
    Result<Trace> trace = LoadTrace(toPath(path));
    if (!trace) {
      problems << fillIn(strings_.compareNotLoaded, {fromStd(trace.error().text(language_))});
      continue;
    }
    loaded.push_back({QFileInfo(path).fileName(), path, std::move(*trace)});
  }
  setTraces(std::move(loaded), problems);
}

void CompareWindow::setTraces(std::vector<ComparedTrace> traces, const QStringList& problems) {
  if (traces.size() > compare::kMaxOverlay) {
    setStatus(fromStd(compare::tooManyText(traces.size(), language_)));
    return;
  }
  delete bidir_.data();
  delete bends_.data();
  traces_ = std::move(traces);
  overlay_.clear();
  for (const ComparedTrace& t : traces_) overlay_.push_back({&t.trace, 0.0, true});
  fillLegend();
  plot_->setTraces(&overlay_);
  cursorLabel_->clear();
  showMeasurements();
  twoDirections_->setEnabled(traces_.size() >= 2);
  bendsButton_->setEnabled(traces_.size() >= 2);
  QStringList said;
  if (traces_.empty())
    said << strings_.compareNothing;
  else
    said << fillIn(strings_.compareShown, {QString::number(traces_.size())});
  said << problems;
  setStatus(said.join(strings_.refusedSeparator));
}

void CompareWindow::fillLegend() {
  const QSignalBlocker quiet(legend_);
  legend_->setRowCount(static_cast<int>(traces_.size()));
  offsets_.clear();
  for (std::size_t i = 0; i < traces_.size(); ++i) {
    const int row = static_cast<int>(i);
    const Trace& t = traces_[i].trace;
    auto* file = new QTableWidgetItem(colourIcon(i), traces_[i].name);
    file->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    file->setCheckState(Qt::Checked);
    file->setToolTip(QDir::toNativeSeparators(traces_[i].path));
    legend_->setItem(row, kLegendFile, file);
    const Acquisition& a = t.acquisition;
    legend_->setItem(
        row, kLegendWavelength,
        cell(a.wavelengthNm > 0 ? fillIn(strings_.compareNm, {fixedFigure(a.wavelengthNm, 0)})
                                : strings_.unknownValue));
    legend_->setItem(
        row, kLegendPulse,
        cell(!a.pulseWidthsNs.empty() && a.pulseWidthsNs.front() > 0
                 ? fillIn(strings_.compareNs, {fixedFigure(a.pulseWidthsNs.front(), 0)})
                 : strings_.unknownValue));
    const std::optional<std::int64_t> when = t.identity.dateTime;
    legend_->setItem(row, kLegendDate,
                     cell(when ? QDateTime::fromSecsSinceEpoch(*when).toString(
                                     QStringLiteral("yyyy-MM-dd hh:mm"))
                               : strings_.unknownValue));
    auto* offset = new QDoubleSpinBox(legend_);
    offset->setObjectName(QStringLiteral("CompareOffset%1").arg(i));
    offset->setRange(-kMaxOffsetDb, kMaxOffsetDb);
    offset->setDecimals(3);  // levels are thousandths; so are aligned offsets
    offset->setSingleStep(0.1);
    connect(offset, &QDoubleSpinBox::valueChanged, this, [this, i](double dB) {
      overlay_[i].offsetDb = dB;
      plot_->redraw();
      showReadings();
      showMeasuredRow(i);
    });
    legend_->setCellWidget(row, kLegendOffset, offset);
    offsets_.push_back(offset);
    legend_->setItem(row, kLegendReading, cell(QString()));
  }
}

void CompareWindow::setShown(std::size_t i, bool shown) {
  if (i >= overlay_.size()) return;
  overlay_[i].shown = shown;
  if (QTableWidgetItem* item = legend_->item(static_cast<int>(i), kLegendFile)) {
    const QSignalBlocker quiet(legend_);
    item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
  }
  plot_->redraw();
  showReadings();
}

void CompareWindow::alignAtCursor() {
  const std::optional<double> at = plot_->cursorM();
  if (!at) {
    setStatus(strings_.compareNeedsCursor);
    return;
  }
  // The first trace that reads a level there (hidden ones read none) is the one the others
  // meet; a trace without a point there keeps its offset.
  const std::vector<std::optional<compare::OverlayReading>> readings =
      compare::readingsAt(overlay_, *at);
  const auto first =
      std::find_if(readings.begin(), readings.end(), [](const auto& r) { return r.has_value(); });
  if (first == readings.end()) {
    setStatus(strings_.compareNeedsCursor);
    return;
  }
  const auto reference = static_cast<std::size_t>(first - readings.begin());
  const std::vector<double> offsets = compare::alignedOffsets(overlay_, *at, reference);
  // One redraw for all of them, not one per spin box.
  for (std::size_t i = 0; i < offsets.size() && i < offsets_.size(); ++i) {
    const QSignalBlocker quiet(offsets_[i]);
    offsets_[i]->setValue(offsets[i]);
    overlay_[i].offsetDb = offsets[i];
  }
  plot_->redraw();
  showReadings();
  for (std::size_t i = 0; i < traces_.size(); ++i) showMeasuredRow(i);
  setStatus(fillIn(strings_.compareAligned, {fixedFigure(*at, 2)}));
}

void CompareWindow::showReadings() {
  const std::optional<double> at = plot_->cursorM();
  if (!at) return;
  cursorLabel_->setText(fillIn(strings_.compareCursor, {fixedFigure(*at, 2)}));
  // The plot read them for its ticks where the crosshair stands.
  const std::vector<std::optional<compare::OverlayReading>>& readings = plot_->readings();
  for (std::size_t i = 0; i < readings.size(); ++i) {
    if (QTableWidgetItem* item = legend_->item(static_cast<int>(i), kLegendReading))
      item->setText(readings[i] ? fixedFigure(readings[i]->levelDb, 3) : strings_.unknownValue);
  }
}

void CompareWindow::showMeasurements() {
  const std::optional<double> a = plot_->markerA();
  const std::optional<double> b = plot_->markerB();
  markersLabel_->setText(
      fillIn(strings_.compareMarkers,
             {fixedFigure(a, 2, strings_.unknownValue), fixedFigure(b, 2, strings_.unknownValue)}));
  // Measured once per trace for these markers; an offset changes only a row's levels.
  measured_.assign(traces_.size(), {});
  const std::string sep = QLocale().decimalPoint().toStdString();
  for (std::size_t i = 0; i < traces_.size(); ++i) {
    const Trace& t = traces_[i].trace;
    MeasuredRow& m = measured_[i];
    if (a) m.a.emplace(levelAt(t, *a, 'A'));
    if (b) m.b.emplace(levelAt(t, *b, 'B'));
    if (a && b) {
      const Measured<SpanMeasure> span = measureSpan(t, *a, *b);
      if (span) {
        m.loss = fixedFigure(span->deltaDb(), 3);
        m.twoPoint = fixedFigure(span->twoPointDbPerKm, 3);
        m.lsa = fixedFigure(span->lsa.dbPerKm(), 3);
      } else {
        m.why = QString::fromStdString(describe(span.problem(), language_, sep));
        m.loss = m.why;
      }
    }
  }
  markerTable_->setRowCount(static_cast<int>(traces_.size()));
  for (std::size_t i = 0; i < traces_.size(); ++i) showMeasuredRow(i);
}

void CompareWindow::showMeasuredRow(std::size_t i) {
  if (i >= measured_.size()) return;
  const MeasuredRow& m = measured_[i];
  const int row = static_cast<int>(i);
  const double offset = overlay_[i].offsetDb;
  auto* file = cell(traces_[i].name);
  file->setIcon(colourIcon(i));
  markerTable_->setItem(row, kMarkerFile, file);
  QStringList values(kMarkerColumns - 1);
  // Each marker's level as drawn (offset included); the loss between them is the
  // trace's own, which no offset changes.
  const auto level = [&](const std::optional<Measured<MarkerLevel>>& read) -> QString {
    if (!read) return QString();
    return *read ? fixedFigure((*read)->levelDb() + offset, 3) : strings_.unknownValue;
  };
  values[kMarkerA - 1] = level(m.a);
  values[kMarkerB - 1] = level(m.b);
  values[kMarkerLoss - 1] = m.loss;
  values[kMarkerTwoPoint - 1] = m.twoPoint;
  values[kMarkerLsa - 1] = m.lsa;
  for (int c = kMarkerA; c < kMarkerColumns; ++c) {
    QTableWidgetItem* item = cell(values[c - 1]);
    if (!m.why.isEmpty()) item->setToolTip(m.why);
    markerTable_->setItem(row, c, item);
  }
}

QString CompareWindow::statusText() const {
  return status_->text();
}

void CompareWindow::setStatus(const QString& text) {
  status_->setText(text);
}

QString CompareWindow::startFolder() const {
  for (const ComparedTrace& t : traces_)
    if (!t.path.isEmpty()) return QFileInfo(t.path).absolutePath();
  return options_.exportFolder;
}

void CompareWindow::saveBytes(const QByteArray& bytes, const QString& title, const QString& filter,
                              const QString& saved, const QString& failed) {
  const QString said =
      saveExport(*options_.saveDialog, this,
                 std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), title,
                 startFolder(), filter, saved, failed, language_);
  if (!said.isEmpty()) setStatus(said);
}

void CompareWindow::ExportPng() {
  saveBytes(pngBytes(plot_->exportImage()), strings_.pngDialogTitle, strings_.pngFilter,
            strings_.pngSaved, strings_.pngFailed);
}

void CompareWindow::ExportPdf() {
  const Result<QByteArray> pdf = overlayPdfBytes(traces_, overlay_, plot_->view(), plot_->markerA(),
                                                 plot_->markerB(), language_);
  if (!pdf) {
    setStatus(fillIn(strings_.comparePdfFailed, {fromStd(pdf.error().text(language_))}));
    return;
  }
  saveBytes(*pdf, strings_.comparePdfTitle, strings_.comparePdfFilter, strings_.comparePdfSaved,
            strings_.comparePdfFailed);
}

BidirDialog* CompareWindow::showTwoDirections() {
  if (traces_.size() < 2) {
    setStatus(strings_.compareNeedsTwo);
    return nullptr;
  }
  if (!bidir_) {
    bidir_ = new BidirDialog(language_, traces_, options_.saveDialog, startFolder(), this);
    keepWindowGeometry(options_.settings, bidir_, QStringLiteral("compare/bidirGeometry"));
  }
  bidir_->show();
  bidir_->raise();
  return bidir_;
}

BendsDialog* CompareWindow::showBends() {
  if (traces_.size() < 2) {
    setStatus(strings_.compareNeedsTwo);
    return nullptr;
  }
  if (!bends_) {
    bends_ = new BendsDialog(language_, traces_, this);
    keepWindowGeometry(options_.settings, bends_, QStringLiteral("compare/bendsGeometry"));
  }
  bends_->show();
  bends_->raise();
  return bends_;
}

}  // namespace tracelink
