#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/record_file.h"
#include "files/record_text.h"
#include "files/trace_library.h"
#include "link/serial_link.h"
#include "link/transfer_messages.h"
#include "link/upload_controller.h"
#include "record/decode.h"

// tracelink-sim running on a pseudo-terminal, with its request log in a temporary folder.
class SimProcess {
 public:
  explicit SimProcess(const QStringList& args) {
    const QByteArray binDir = qgetenv("TRACELINK_BINARY_DIR");
    const QString program = QString::fromLocal8Bit(binDir) + "/tools/sim/tracelink-sim";
    logPath_ = dir_.filePath("requests.log");
    process_.start(program, args + QStringList{"--log", logPath_});
    if (!process_.waitForStarted(10000)) return;
    while (!process_.canReadLine() && process_.waitForReadyRead(20000)) {
    }
    device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
  }
  ~SimProcess() { stop(); }

  const QString& device() const { return device_; }
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) process_.kill();
    process_.waitForFinished(10000);
  }
  // The request pairs in hex, "AA 0F", in the order the simulator received them.
  QStringList requests() const {
    QFile f(logPath_);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
  }

 private:
  QTemporaryDir dir_;
  QString logPath_;
  QProcess process_;
  QString device_;
};

// The program's side without its window: the real serial link and the upload controller,
// with a save folder and a record of everything the controller asked for.
struct LinkHarness {
  std::unique_ptr<tracelink::TraceRecord> record = std::make_unique<tracelink::TraceRecord>();
  tracelink::HeaderState header;
  tracelink::ViewWindow view;
  tracelink::DecodedValues values;
  tracelink::SerialLink link;
  tracelink::PlainTraceSink sink{*record, header, view};
  tracelink::UploadController controller{link, sink, tracelink::Language::English};
  QTemporaryDir saveDir;
  std::vector<std::filesystem::path> saved;
  std::vector<tracelink::TransferProgress> progress;
  std::vector<std::int32_t> decodedEventCounts;
  QStringList failures;
  std::vector<tracelink::UploadAllSummary> summaries;
  int noDatas = 0;
  int dataPresent = 0;
  int lists = 0;

  LinkHarness() {
    using tracelink::UploadController;
    QObject::connect(&controller, &UploadController::decodeRecord, [this] {
      tracelink::DecodeRecord(*record, values, tracelink::Language::English);
      decodedEventCounts.push_back(values.EventCount);
    });
    QObject::connect(&controller, &UploadController::listSavedTraces, [this] { ++lists; });
    QObject::connect(&controller, &UploadController::showNoDatas, [this] { ++noDatas; });
    QObject::connect(&controller, &UploadController::dataPresent, [this] { ++dataPresent; });
    QObject::connect(&controller, &UploadController::progressChanged,
                     [this](const tracelink::TransferProgress& s) { progress.push_back(s); });
    QObject::connect(&controller, &UploadController::uploadAllEnded,
                     [this](const tracelink::UploadAllSummary& s) { summaries.push_back(s); });
    QObject::connect(&controller, &UploadController::transferFailed,
                     [this](const QString& m) { failures << m; });
    controller.setAutoSaveTrace([this](int traceSelect, int blockNo) -> tracelink::Status {
      const std::string text = tracelink::BuildRecordText(*record, blockNo);
      const std::string name = tracelink::AutoSaveFileName(traceSelect, 2026, 12, 8, 22, 30, 0);
      const auto path = tracelink::UniqueSavePath(saveDir.path().toStdString(), name);
      tracelink::Status written = tracelink::WriteRecordFile(path, text);
      if (written) saved.push_back(path);
      return written;
    });
  }

  bool connectTo(const SimProcess& sim) {
    const auto error = link.open(sim.device());
    EXPECT_FALSE(error) << tracelink::linkErrorText(*error, tracelink::Language::English);
    return !error;
  }

  // Runs the event loop until the transfer has ended (for whatever reason).
  bool waitForEnd(int capMs = 120000) {
    QSignalSpy ended(&controller, &tracelink::UploadController::transferEnded);
    return controller.busy() ? ended.wait(capMs) : true;
  }
};
