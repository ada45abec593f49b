#pragma once

#include <QDialog>
#include <optional>

#include "record/language.h"
#include "session/view_window.h"

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace tracelink {

struct UiStrings;

// "Level range…": the top and the bottom level of the plot in dB, and "Full range" for
// the levels unzoomed. Accepting checks the range; one the plot cannot show keeps the
// dialog open with the reason under the fields.
class LevelRangeDialog : public QDialog {
  Q_OBJECT

 public:
  // shown: the levels the plot shows now, the fields' start.
  LevelRangeDialog(Language language, const LevelZoom& shown, QWidget* parent = nullptr);

  void setLevels(double bottomDb, double topDb);
  // After exec(): the range chosen, or nullopt for the full range.
  const std::optional<LevelZoom>& chosen() const { return chosen_; }
  // The reason last shown under the fields (empty while there is none).
  QString problem() const;

  void accept() override;

 private:
  const UiStrings& strings_;
  QDoubleSpinBox* top_ = nullptr;
  QDoubleSpinBox* bottom_ = nullptr;
  QLabel* problem_ = nullptr;
  QPushButton* full_ = nullptr;
  std::optional<LevelZoom> chosen_;
};

}  // namespace tracelink
