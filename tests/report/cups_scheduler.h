#pragma once

#include <sys/types.h>
#include <QString>
#include <QStringList>
#include <vector>

namespace tracelink::test {

// A CUPS scheduler of the test's own: cupsd from the system's cups package, run with a
// configuration, spool and state under a fresh temporary directory and listening only on a
// Unix socket there. Its queues write each job to a PDF file. The system's own scheduler and
// printers are never contacted: this process's CUPS clients (Qt's printer support, libcups,
// lpadmin) are pointed at the private socket through CUPS_SERVER.
class CupsScheduler {
 public:
  struct Job {
    int id = 0;
    QString printer;
    int state = 0;  // ipp_jstate_t
  };

  // The printable area every queue announces, in points from the sheet's top-left (A4).
  static constexpr int kMarginLeftPt = 18;
  static constexpr int kMarginTopPt = 36;

  // Makes the directory and sets the environment; call before anything talks to CUPS (in
  // main, before the QApplication).
  CupsScheduler();
  ~CupsScheduler();
  CupsScheduler(const CupsScheduler&) = delete;
  CupsScheduler& operator=(const CupsScheduler&) = delete;

  // The one scheduler of this test process.
  static CupsScheduler& shared();

  // Starts cupsd unless it runs already, and waits until it answers. False with the reason
  // (cupsd missing, failed to start, not answering) in *error.
  bool ensureRunning(QString* error);
  void stop();

  // Queue administration through lpadmin; false with lpadmin's words in *error.
  bool addQueue(const QString& name, QString* error);
  bool removeQueue(const QString& name, QString* error);
  bool removeAllQueues(QString* error);
  bool setDefault(const QString& name, QString* error);
  bool rejectJobs(const QString& name, QString* error);

  // The file a queue's last job was written to.
  QString outputFile(const QString& name) const;
  // Every job the scheduler knows, finished or not, with an id above afterId.
  std::vector<Job> jobs(int afterId = 0) const;
  int lastJobId() const;
  // Waits until no job is pending, held or processing; false on timeout.
  bool waitUntilIdle(int timeoutMs = 30000) const;

  QString directory() const { return dir_; }
  QString socketPath() const { return dir_ + "/cups.sock"; }

 private:
  bool writeConfiguration(QString* error);
  bool runTool(const QString& tool, const QStringList& args, QString* error) const;
  QString logTail() const;

  QString dir_;
  pid_t pid_ = -1;
};

// Runs a program to completion; false with its output when it fails or takes too long.
bool runProgram(const QString& program, const QStringList& args, QString* output,
                int timeoutMs = 30000);

}  // namespace tracelink::test
