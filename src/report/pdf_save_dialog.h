#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace tracelink {

// The Save As dialog of the preview's "Save PDF…", behind an interface so that a test can
// answer in its place.
class PdfSaveDialog {
 public:
  virtual ~PdfSaveDialog() = default;
  // The path the user chose, or an empty string when the dialog was cancelled. startPath
  // is the suggested file in the folder the dialog opens in.
  virtual QString askSavePath(QWidget* parent, const QString& caption, const QString& startPath,
                              const QString& filter) = 0;
};

// The toolkit's Save As dialog, modal, asking before it replaces a file and adding ".pdf"
// to a name typed without it.
std::unique_ptr<PdfSaveDialog> makeFileSaveDialog();

}  // namespace tracelink
