#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "record/trace_record.h"
#include "ui/main_window.h"
#include "ui/platform.h"

namespace tracelink::test {

class FixedClock : public Clock {
 public:
  QDateTime time = QDateTime(QDate(2019, 12, 1), QTime(10, 5, 7));
  QDateTime now() const override { return time; }
};

class ScriptedSaveDialog : public SaveDialog {
 public:
  QString answer;  // empty: the user cancels
  int asked = 0;
  QString lastFolder;
  QString lastFilter;
  QString askSavePath(QWidget*, const QString&, const QString& folder,
                      const QString& filter) override {
    ++asked;
    lastFolder = folder;
    lastFilter = filter;
    return answer;
  }
};

class ScriptedOpenDialog : public OpenDialog {
 public:
  QString answer;  // empty: the user cancels
  int asked = 0;
  QString lastTitle;
  QString lastFolder;
  QStringList lastFilters;
  QString askOpenPath(QWidget*, const QString& title, const QString& folder,
                      const QStringList& filters) override {
    ++asked;
    lastTitle = title;
    lastFolder = folder;
    lastFilters = filters;
    return answer;
  }
};

class RecordingMessages : public MessageBoxes {
 public:
  QStringList shown;
  void information(QWidget*, const QString& text) override { shown << text; }
};

// A pseudo-terminal standing in for a serial port; the slave path is the device. Without
// hardware, its device node is there but refuses to open with an I/O error, as the node of
// a serial port with no chip behind it does.
class FakePort {
 public:
  explicit FakePort(bool withHardware = true);
  ~FakePort();
  FakePort(const FakePort&) = delete;
  FakePort& operator=(const FakePort&) = delete;
  QString device() const { return device_; }
  int master() const { return master_; }

 private:
  int master_ = -1;
  QString device_;
};

// Maps every port number to a device that does not exist. The name carries the process id:
// opening a port takes a lock file named after it, and test programs running side by side
// would otherwise see each other's probes as busy ports.
inline QString noPort(int n) {
  return QStringLiteral("/nonexistent/ttyTEST%1_%2").arg(QCoreApplication::applicationPid()).arg(n);
}

// A record with a recognisable header and curve for range index rangeN.
TraceRecord makeRecord(std::int32_t rangeN, std::int32_t reglw = 3, std::int32_t wendu = 5);

struct Harness {
  std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>();
  std::shared_ptr<ScriptedSaveDialog> dialog = std::make_shared<ScriptedSaveDialog>();
  std::shared_ptr<RecordingMessages> messages = std::make_shared<RecordingMessages>();
  MainWindowOptions options(const QString& saveFolder, std::function<QString(int)> mapping) const;
};

}  // namespace tracelink::test
