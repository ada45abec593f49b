#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

#include "cable/limits.h"
#include "ui/platform.h"
#include "ui/ui_strings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tracelink {

// Chooses the limits the window judges traces by: a built-in preset, a limits file, or
// the figures typed into the fields (every key of a limits file; an empty field is not
// judged), which can be saved as a file; or none, which judges nothing.
class LimitsDialog : public QDialog {
  Q_OBJECT

 public:
  // Starts from current (none: "None" chosen). folder is where the file dialogs open.
  LimitsDialog(Language language, const std::optional<cable::Limits>& current,
               std::shared_ptr<OpenDialog> openDialog, std::shared_ptr<SaveDialog> saveDialog,
               QString folder, QWidget* parent = nullptr);

  // What OK chose: nullopt for "None". Valid once accepted.
  const std::optional<cable::Limits>& chosen() const { return chosen_; }
  // The figures as the fields hold them, or why they cannot be limits (also shown).
  std::optional<cable::Limits> fieldLimits();
  // Reads a limits file into the fields; false (and the reason shown) when refused.
  bool openFile(const QString& path);
  // Writes the fields as a limits file; false (and the reason shown) when it cannot.
  bool saveFile(const QString& path);
  // The last problem or outcome shown under the fields.
  QString message() const;

  void done(int result) override;

 private:
  struct Field {
    const char* key;
    const QString* caption;
    QLineEdit* edit;
  };
  void choose(int index);
  void fill(const cable::Limits& limits);
  void fieldsEdited();
  void setFieldsEnabled(bool enabled);
  void show(const QString& text, bool problem);
  QString captionOf(const std::string& key) const;

  Language language_;
  const UiStrings& strings_;
  std::shared_ptr<OpenDialog> openDialog_;
  std::shared_ptr<SaveDialog> saveDialog_;
  QString folder_;
  QComboBox* choice_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* attenuation_ = nullptr;
  QCheckBox* bidirectional_ = nullptr;
  std::vector<Field> fields_;
  QLabel* message_ = nullptr;
  bool filling_ = false;
  std::optional<cable::Limits> chosen_;
};

}  // namespace tracelink
