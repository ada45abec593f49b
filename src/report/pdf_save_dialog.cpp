#include "report/pdf_save_dialog.h"

#include <QFileDialog>

namespace tracelink {

namespace {

class FileSaveDialog : public PdfSaveDialog {
 public:
  QString askSavePath(QWidget* parent, const QString& caption, const QString& startPath,
                      const QString& filter) override {
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    const QFileInfo start(startPath);
    if (start.dir().exists()) dialog.setDirectory(start.dir());
    dialog.selectFile(start.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
  }
};

}  // namespace

std::unique_ptr<PdfSaveDialog> makeFileSaveDialog() {
  return std::make_unique<FileSaveDialog>();
}

}  // namespace tracelink
