#pragma once

#include <QDialog>
#include <memory>

#include "link/cable_upload.h"
#include "record/language.h"
#include "ui/settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tracelink {

struct UiStrings;

// "Upload cable…": the cable, its fibres, the end the traces were taken from, the texts of
// the files, where they go and in which format, which traces, and what to do with a file
// already there. Accepting checks the plan as the upload would, and a plan that cannot
// be uploaded keeps the dialog open with the reason under the fields.
//
// The answers are remembered between runs (both language builds share them).
class UploadCableDialog : public QDialog {
  Q_OBJECT

 public:
  UploadCableDialog(Language language, const QString& defaultFolder, QWidget* parent = nullptr);

  CablePlan plan() const;
  void setPlan(const CablePlan& plan);

  // The answers in settings, under their own group; a missing or unreadable value leaves
  // the field as it is.
  void loadAnswers(const Settings& settings);
  void saveAnswers(Settings& settings) const;

  // Why the plan was refused, under the fields; empty while it was not.
  QString problem() const;

 public slots:
  void accept() override;

 private:
  void chooseFolder();

  Language language_;
  const UiStrings& strings_;
  QLineEdit* cable_ = nullptr;
  QSpinBox* firstFiber_ = nullptr;
  QSpinBox* fiberStep_ = nullptr;
  QComboBox* direction_ = nullptr;
  QLineEdit* locationA_ = nullptr;
  QLineEdit* locationB_ = nullptr;
  QLineEdit* operator_ = nullptr;
  QLineEdit* folder_ = nullptr;
  QComboBox* format_ = nullptr;
  QRadioButton* allTraces_ = nullptr;
  QRadioButton* traceRange_ = nullptr;
  QSpinBox* firstTrace_ = nullptr;
  QSpinBox* lastTrace_ = nullptr;
  QComboBox* onExisting_ = nullptr;
  QLabel* problem_ = nullptr;
};

}  // namespace tracelink
