#pragma once

#include <QDialog>
#include <QDoubleSpinBox>

#include "analysis/thresholds.h"
#include "ui/ui_strings.h"

namespace tracelink {

// The three thresholds our analysis finds events with, starting from the given ones; the
// fields accept only values the analysis takes.
class AnalysisDialog : public QDialog {
  Q_OBJECT

 public:
  AnalysisDialog(const UiStrings& strings, const analysis::Thresholds& start,
                 QWidget* parent = nullptr);

  // All three as the fields hold them.
  analysis::ThresholdRequest request() const;

 private:
  QDoubleSpinBox* splice_ = nullptr;
  QDoubleSpinBox* reflectance_ = nullptr;
  QDoubleSpinBox* end_ = nullptr;
};

}  // namespace tracelink
