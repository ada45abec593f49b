#include "ui/platform.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tracelink {

QDateTime SystemClock::now() const {
  return QDateTime::currentDateTime();
}

QString QtSaveDialog::askSavePath(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter) {
  // Qt's dialog asks before replacing an existing file unless told not to.
  return QFileDialog::getSaveFileName(parent, title, folder, filter);
}

void QtMessageBoxes::information(QWidget* parent, const QString& text) {
  // A plain box, no icon, only OK; the program's own name stands in the caption.
  QMessageBox box(QMessageBox::NoIcon, parent ? parent->window()->windowTitle() : QString(), text,
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace tracelink
