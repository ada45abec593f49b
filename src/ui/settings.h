#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

#include "report/report_layout.h"

class QWidget;

namespace tracelink {

// What the program remembers between runs, in one INI file: the last port typed, the print
// settings window's texts, the last folder opened, the recent files and the geometry of the
// windows that may be placed freely. Values are checked as they are read; one that does
// not make sense is taken as absent, never as a reason to fail.
class Settings {
 public:
  // Why the file was not taken at start.
  enum class Problem { None, Unreadable, NotAFile, TooLarge, NotText, BadLine, NotIni };

  // Reads the file at path (a missing file is an empty start). A file that cannot be read
  // or is not an INI file is ignored: the settings start empty and problem() says why. A
  // damaged file is replaced by the first write; an unreadable one, or something that is
  // not a file at all, is left alone.
  explicit Settings(const QString& path);
  ~Settings();
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // The file both language builds share, in the user's configuration folder.
  static QString defaultPath();

  QString path() const { return path_; }
  Problem problem() const { return problem_; }
  // The system's words for an unreadable file; the first line that is no setting.
  QString problemDetail() const { return problemDetail_; }
  int problemLine() const { return problemLine_; }

  QString lastPort() const;
  void setLastPort(const QString& port);
  QString lastFolder() const;
  void setLastFolder(const QString& folder);
  QStringList recentFiles() const;
  void setRecentFiles(const QStringList& files);
  // The print settings window's texts; the time is never remembered, it is the moment of
  // printing.
  std::optional<ReportHeader> printTexts() const;
  void setPrintTexts(const ReportHeader& texts);
  // What another window remembers of itself under key ("group/name"); invalid when absent
  // or when the file was not taken.
  QVariant value(const QString& key) const;
  void setValue(const QString& key, const QVariant& value);

  QByteArray geometry(const QString& key) const;
  void setGeometry(const QString& key, const QByteArray& geometry);

  // Writes what changed; false when the file could not be written.
  bool sync();

 private:
  QString text(const char* key, qsizetype maxLength) const;

  QString path_;
  Problem problem_ = Problem::None;
  QString problemDetail_;
  int problemLine_ = 0;
  // Null while a damaged file waits to be replaced by the first write, and for good when
  // the file cannot be read (its owner may have locked it on purpose) or is no file (a
  // folder, a pipe or a device, which nothing here removes).
  std::unique_ptr<QSettings> store_;
  QSettings* writable();
};

// Puts window where settings remember it under key (a window of this program other than
// the main window, which keeps its own placement), and remembers it there whenever the
// window is hidden or closed. Without settings (nullptr) it does nothing. A remembered
// place off every screen is not taken.
void keepWindowGeometry(Settings* settings, QWidget* window, const QString& key);
// The two halves of it, for a window that wants to choose the moments itself.
bool restoreWindowGeometry(const Settings* settings, QWidget* window, const QString& key);
void saveWindowGeometry(Settings* settings, const QWidget* window, const QString& key);

}  // namespace tracelink
