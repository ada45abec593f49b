#include "ui/analysis_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace tracelink {

namespace {

QDoubleSpinBox* field(QWidget* parent, const char* name, double low, double high, int decimals,
                      double step, double value) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(low, high);
  box->setDecimals(decimals);
  box->setSingleStep(step);
  box->setValue(value);
  return box;
}

}  // namespace

AnalysisDialog::AnalysisDialog(const UiStrings& strings, const analysis::Thresholds& start,
                               QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("AnalysisDialog"));
  setWindowTitle(strings.analysisTitle);
  // The fields' limits lie inside what the analysis accepts, so OK never gives a value it
  // would replace by another without saying.
  splice_ = field(this, "SpliceDb", 0.001, 10.0, 3, 0.01, start.spliceDb);
  reflectance_ = field(this, "ReflectanceDb", -99.0, -1.0, 1, 1.0, start.reflectanceDb);
  end_ = field(this, "EndDb", 0.1, 60.0, 2, 0.5, start.endDb);
  auto* form = new QFormLayout(this);
  form->addRow(strings.analysisSpliceDb, splice_);
  form->addRow(strings.analysisReflectanceDb, reflectance_);
  form->addRow(strings.analysisEndDb, end_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("AnalysisButtons"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

analysis::ThresholdRequest AnalysisDialog::request() const {
  return {splice_->value(), reflectance_->value(), end_->value()};
}

}  // namespace tracelink
