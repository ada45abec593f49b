#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class QWidget;

namespace tracelink {

// The platform services the main window needs, small enough for a test to replace.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
};

class SaveDialog {
 public:
  virtual ~SaveDialog() = default;
  // The chosen full path, or empty when the user cancelled. Replacing an existing file
  // must be confirmed inside the dialog.
  virtual QString askSavePath(QWidget* parent, const QString& title, const QString& folder,
                              const QString& filter) = 0;
};

class OpenDialog {
 public:
  virtual ~OpenDialog() = default;
  // The chosen file, or empty when the user cancelled. filters are the dialog's name
  // filters, the first one chosen at start; their patterns match without letter case.
  virtual QString askOpenPath(QWidget* parent, const QString& title, const QString& folder,
                              const QStringList& filters) = 0;
  // The chosen files, one or several (several are compared), or none when cancelled. A
  // dialog that takes one file at a time answers with that one.
  virtual QStringList askOpenPaths(QWidget* parent, const QString& title, const QString& folder,
                                   const QStringList& filters) {
    const QString path = askOpenPath(parent, title, folder, filters);
    return path.isEmpty() ? QStringList() : QStringList{path};
  }
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A plain message box with an OK button.
  virtual void information(QWidget* parent, const QString& text) = 0;
};

// The real ones: the local clock, Qt's Save As and Open dialogs, Qt's message box.
class SystemClock : public Clock {
 public:
  QDateTime now() const override;
};

class QtSaveDialog : public SaveDialog {
 public:
  QString askSavePath(QWidget* parent, const QString& title, const QString& folder,
                      const QString& filter) override;
};

class QtOpenDialog : public OpenDialog {
 public:
  QString askOpenPath(QWidget* parent, const QString& title, const QString& folder,
                      const QStringList& filters) override;
  QStringList askOpenPaths(QWidget* parent, const QString& title, const QString& folder,
                           const QStringList& filters) override;
};

class QtMessageBoxes : public MessageBoxes {
 public:
  void information(QWidget* parent, const QString& text) override;
};

}  // namespace tracelink
