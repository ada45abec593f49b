#include "ui/platform.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace tracelink {

QDateTime SystemClock::now() const {
  return QDateTime::currentDateTime();
}

QString QtSaveDialog::askSavePath(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter) {
  // Qt's dialog asks before replacing an existing file unless told not to.
  QFileDialog dialog(parent, title, folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // A name typed without an extension gets the filter's, so the trace lands where the file
  // list looks ("cable88" becomes "cable88.otdr") instead of seeming lost.
  const QRegularExpressionMatch ext =
      QRegularExpression(QStringLiteral(R"(\*\.(\w+))")).match(filter);
  if (ext.hasMatch()) dialog.setDefaultSuffix(ext.captured(1));
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? QString() : chosen.first();
}

namespace {

QStringList askOpen(QWidget* parent, const QString& title, const QString& folder,
                    const QStringList& filters, QFileDialog::FileMode mode) {
  QFileDialog dialog(parent, title, folder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(mode);
  // Qt's own dialog, whose filters ignore letter case on every system: files copied from
  // the instrument's Windows folders are often named "TRACE01.SOR".
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

}  // namespace

QString QtOpenDialog::askOpenPath(QWidget* parent, const QString& title, const QString& folder,
                                  const QStringList& filters) {
  const QStringList chosen = askOpen(parent, title, folder, filters, QFileDialog::ExistingFile);
  return chosen.isEmpty() ? QString() : chosen.first();
}

QStringList QtOpenDialog::askOpenPaths(QWidget* parent, const QString& title, const QString& folder,
                                       const QStringList& filters) {
  return askOpen(parent, title, folder, filters, QFileDialog::ExistingFiles);
}

void QtMessageBoxes::information(QWidget* parent, const QString& text) {
  // A plain box, no icon, only OK; the program's own name stands in the caption.
  QMessageBox box(QMessageBox::NoIcon, parent ? parent->window()->windowTitle() : QString(), text,
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace tracelink
