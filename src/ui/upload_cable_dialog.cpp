#include "ui/upload_cable_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/ui_strings.h"

namespace tracelink {

namespace {

constexpr const char* kGroup = "cableUpload";

QSpinBox* spinBox(const char* name, int minimum, int maximum, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(minimum, maximum);
  return box;
}

QLineEdit* lineEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

// A remembered choice: its index when it names one of the box's entries.
void restoreIndex(QComboBox* box, const QVariant& value) {
  bool ok = false;
  const int index = value.toInt(&ok);
  if (ok && index >= 0 && index < box->count()) box->setCurrentIndex(index);
}

void restoreNumber(QSpinBox* box, const QVariant& value) {
  bool ok = false;
  const int number = value.toInt(&ok);
  if (ok && number >= box->minimum() && number <= box->maximum()) box->setValue(number);
}

}  // namespace

UploadCableDialog::UploadCableDialog(Language language, const QString& defaultFolder,
                                     QWidget* parent)
    : QDialog(parent), language_(language), strings_(uiStrings(language)) {
  setObjectName("UploadCableDialog");
  setWindowTitle(strings_.cableDialogTitle);

  cable_ = lineEdit("CableId", this);
  cable_->setPlaceholderText(strings_.cableIdHint);
  firstFiber_ = spinBox("FirstFibre", 1, kMaxFirstFiber, this);
  fiberStep_ = spinBox("FibreStep", 1, kMaxFiberStep, this);
  auto* fibres = new QHBoxLayout;
  fibres->addWidget(firstFiber_);
  fibres->addWidget(new QLabel(strings_.cableFiberStep, this));
  fibres->addWidget(fiberStep_);
  fibres->addStretch();

  direction_ = new QComboBox(this);
  direction_->setObjectName("Direction");
  direction_->addItems({strings_.cableFromA, strings_.cableFromB});
  locationA_ = lineEdit("LocationA", this);
  locationB_ = lineEdit("LocationB", this);
  operator_ = lineEdit("Operator", this);

  folder_ = lineEdit("OutputFolder", this);
  folder_->setText(QDir::toNativeSeparators(defaultFolder));
  auto* browse = new QPushButton(strings_.cableBrowse, this);
  browse->setObjectName("Browse");
  connect(browse, &QPushButton::clicked, this, &UploadCableDialog::chooseFolder);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(browse);

  format_ = new QComboBox(this);
  format_->setObjectName("Format");
  format_->addItems({strings_.cableFormatSor, strings_.cableFormatOtdr});

  allTraces_ = new QRadioButton(strings_.cableAllTraces, this);
  allTraces_->setObjectName("AllTraces");
  allTraces_->setChecked(true);
  traceRange_ = new QRadioButton(strings_.cableTraceRange, this);
  traceRange_->setObjectName("TraceRange");
  firstTrace_ = spinBox("FirstTrace", 1, kMaxUploadedTraces, this);
  lastTrace_ = spinBox("LastTrace", 1, kMaxUploadedTraces, this);
  lastTrace_->setValue(kMaxUploadedTraces);
  auto* traces = new QHBoxLayout;
  traces->addWidget(allTraces_);
  traces->addWidget(traceRange_);
  traces->addWidget(firstTrace_);
  traces->addWidget(new QLabel(strings_.cableTraceTo, this));
  traces->addWidget(lastTrace_);
  traces->addStretch();

  onExisting_ = new QComboBox(this);
  onExisting_->setObjectName("OnExisting");
  onExisting_->addItems({strings_.cableSkip, strings_.cableReplace, strings_.cableKeepBoth});

  auto* form = new QFormLayout;
  form->addRow(strings_.cableId, cable_);
  form->addRow(strings_.cableFirstFiber, fibres);
  form->addRow(strings_.cableDirection, direction_);
  form->addRow(strings_.cableLocationA, locationA_);
  form->addRow(strings_.cableLocationB, locationB_);
  form->addRow(strings_.cableOperator, operator_);
  form->addRow(strings_.cableFolder, folderRow);
  form->addRow(strings_.cableFormat, format_);
  form->addRow(strings_.cableTraces, traces);
  form->addRow(strings_.cableOnExisting, onExisting_);

  problem_ = new QLabel(this);
  problem_->setObjectName("Problem");
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #b00000"));
  problem_->hide();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("Buttons");
  buttons->button(QDialogButtonBox::Ok)->setText(strings_.cableStart);
  connect(buttons, &QDialogButtonBox::accepted, this, &UploadCableDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &UploadCableDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(problem_);
  layout->addWidget(buttons);
}

CablePlan UploadCableDialog::plan() const {
  CablePlan p;
  p.cable = cable_->text().trimmed().toStdString();
  p.firstFiber = firstFiber_->value();
  p.fiberStep = fiberStep_->value();
  p.direction = direction_->currentIndex() == 1 ? CableDirection::FromB : CableDirection::FromA;
  p.locationA = locationA_->text().toStdString();
  p.locationB = locationB_->text().toStdString();
  p.operatorName = operator_->text().toStdString();
  const QString folder = folder_->text().trimmed();
  if (!folder.isEmpty()) p.folder = toPath(QDir::fromNativeSeparators(folder));
  p.format = format_->currentIndex() == 1 ? CableFormat::Otdr : CableFormat::Sor;
  p.traces = traceRange_->isChecked()
                 ? TraceChoice::range(firstTrace_->value(), lastTrace_->value())
                 : TraceChoice::all();
  const int existing = onExisting_->currentIndex();
  p.onExisting = existing == 1   ? OnExisting::Replace
                 : existing == 2 ? OnExisting::KeepBoth
                                 : OnExisting::Skip;
  p.language = language_;
  return p;
}

void UploadCableDialog::setPlan(const CablePlan& p) {
  cable_->setText(fromStd(p.cable));
  firstFiber_->setValue(p.firstFiber);
  fiberStep_->setValue(p.fiberStep);
  direction_->setCurrentIndex(p.direction == CableDirection::FromB ? 1 : 0);
  locationA_->setText(fromStd(p.locationA));
  locationB_->setText(fromStd(p.locationB));
  operator_->setText(fromStd(p.operatorName));
  folder_->setText(QDir::toNativeSeparators(fromPath(p.folder)));
  format_->setCurrentIndex(p.format == CableFormat::Otdr ? 1 : 0);
  const bool range = p.traces.kind == TraceChoice::Kind::Range;
  (range ? traceRange_ : allTraces_)->setChecked(true);
  if (range) {
    firstTrace_->setValue(p.traces.first);
    lastTrace_->setValue(p.traces.last);
  }
  onExisting_->setCurrentIndex(p.onExisting == OnExisting::Replace    ? 1
                               : p.onExisting == OnExisting::KeepBoth ? 2
                                                                      : 0);
}

void UploadCableDialog::loadAnswers(const Settings& settings) {
  const auto value = [&settings](const char* name) {
    return settings.value(QStringLiteral("%1/%2").arg(QLatin1String(kGroup), QLatin1String(name)));
  };
  const auto text = [&value](QLineEdit* edit, const char* name) {
    if (const QVariant v = value(name); v.typeId() == QMetaType::QString)
      edit->setText(v.toString());
  };
  text(cable_, "cable");
  restoreNumber(firstFiber_, value("firstFibre"));
  restoreNumber(fiberStep_, value("fibreStep"));
  restoreIndex(direction_, value("direction"));
  text(locationA_, "locationA");
  text(locationB_, "locationB");
  text(operator_, "operator");
  if (const QString folder = value("folder").toString(); !folder.isEmpty())
    folder_->setText(folder);
  restoreIndex(format_, value("format"));
  if (value("range").toBool()) traceRange_->setChecked(true);
  restoreNumber(firstTrace_, value("firstTrace"));
  restoreNumber(lastTrace_, value("lastTrace"));
  restoreIndex(onExisting_, value("onExisting"));
}

void UploadCableDialog::saveAnswers(Settings& settings) const {
  const auto set = [&settings](const char* name, const QVariant& v) {
    settings.setValue(QStringLiteral("%1/%2").arg(QLatin1String(kGroup), QLatin1String(name)), v);
  };
  set("cable", cable_->text());
  set("firstFibre", firstFiber_->value());
  set("fibreStep", fiberStep_->value());
  set("direction", direction_->currentIndex());
  set("locationA", locationA_->text());
  set("locationB", locationB_->text());
  set("operator", operator_->text());
  set("folder", folder_->text());
  set("format", format_->currentIndex());
  set("range", traceRange_->isChecked());
  set("firstTrace", firstTrace_->value());
  set("lastTrace", lastTrace_->value());
  set("onExisting", onExisting_->currentIndex());
  settings.sync();
}

QString UploadCableDialog::problem() const {
  return problem_->isVisible() || !problem_->text().isEmpty() ? problem_->text() : QString();
}

void UploadCableDialog::accept() {
  if (const std::optional<CablePlanProblem> p = CheckCablePlan(plan())) {
    problem_->setText(fromStd(cablePlanProblemText(*p, language_)));
    problem_->show();
    return;
  }
  problem_->clear();
  problem_->hide();
  QDialog::accept();
}

void UploadCableDialog::chooseFolder() {
  const QString chosen = QFileDialog::getExistingDirectory(
      this, strings_.cableFolderTitle, QDir::fromNativeSeparators(folder_->text()));
  if (!chosen.isEmpty()) folder_->setText(QDir::toNativeSeparators(chosen));
}

}  // namespace tracelink
