#include "ui/level_range_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "record/fill_in.h"
#include "ui/ui_strings.h"

namespace tracelink {

namespace {

QDoubleSpinBox* levelBox(QWidget* parent, const char* name) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  // Hundredths of a dB: the finest level a record holds.
  box->setDecimals(2);
  box->setRange(-kMaxLevelDb, kMaxLevelDb);
  box->setSingleStep(0.5);
  return box;
}

}  // namespace

LevelRangeDialog::LevelRangeDialog(Language language, const LevelZoom& shown, QWidget* parent)
    : QDialog(parent), strings_(uiStrings(language)) {
  setObjectName(QStringLiteral("LevelRangeDialog"));
  setWindowTitle(strings_.levelRangeTitle);
  top_ = levelBox(this, "LevelTop");
  bottom_ = levelBox(this, "LevelBottom");
  auto* form = new QFormLayout;
  form->addRow(strings_.levelTop, top_);
  form->addRow(strings_.levelBottom, bottom_);
  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("LevelProblem"));
  problem_->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  full_ = buttons->addButton(strings_.levelFullRange, QDialogButtonBox::ResetRole);
  full_->setObjectName(QStringLiteral("LevelFullRange"));
  connect(buttons, &QDialogButtonBox::accepted, this, &LevelRangeDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &LevelRangeDialog::reject);
  connect(full_, &QPushButton::clicked, this, [this] {
    chosen_.reset();
    QDialog::accept();
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(problem_);
  layout->addWidget(buttons);
  setLevels(shown.bottomDb, shown.topDb);
}

void LevelRangeDialog::setLevels(double bottomDb, double topDb) {
  top_->setValue(topDb);
  bottom_->setValue(bottomDb);
}

QString LevelRangeDialog::problem() const {
  return problem_->text();
}

void LevelRangeDialog::accept() {
  const double bottom = bottom_->value();
  const double top = top_->value();
  QString reason;
  switch (checkLevelZoom(bottom, top)) {
    case LevelZoomFault::None:
      chosen_ = LevelZoom{bottom, top};
      problem_->clear();
      QDialog::accept();
      return;
    case LevelZoomFault::NotANumber:
      reason = strings_.levelNotANumber;
      break;
    case LevelZoomFault::OutOfRange:
      reason = fillIn(strings_.levelOutOfRange, {QString::number(kMaxLevelDb)});
      break;
    case LevelZoomFault::Reversed:
      reason = strings_.levelReversed;
      break;
    case LevelZoomFault::TooNarrow:
      reason = fillIn(strings_.levelTooNarrow, {QString::number(kMinLevelSpanDb)});
      break;
  }
  problem_->setText(reason);
}

}  // namespace tracelink
