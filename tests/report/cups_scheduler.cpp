#include "cups_scheduler.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace tracelink::test {

namespace {

using Clock = std::chrono::steady_clock;

// A queue that takes PDF, passes it through the stock pdftopdf filter and writes it to its
// file device: what arrives in the file is the document the program printed.
const char* const kQueueDriver = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TLFILE.PPD"
*Manufacturer: "tracelink tests"
*Product: "(PDF file)"
*ModelName: "PDF to file"
*ShortNickName: "PDF to file"
*NickName: "PDF to file"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 gziptoany"
*OpenUI *PageSize: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 36 577 806"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)ppd";

bool writeFile(const QString& path, const QByteArray& text, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size()) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

QString findCupsd() {
  const QString found = QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/sbin"});
  return found.isEmpty() ? QStandardPaths::findExecutable("cupsd") : found;
}

}  // namespace

bool runProgram(const QString& program, const QStringList& args, QString* output, int timeoutMs) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForStarted(timeoutMs)) {
    *output = program + " could not be started: " + p.errorString();
    return false;
  }
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(2000);
    *output = program + " did not finish in time";
    return false;
  }
  *output = QString::fromLocal8Bit(p.readAll());
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

CupsScheduler::CupsScheduler() {
  char pattern[] = "/tmp/tracelink-cups-XXXXXX";
  if (const char* made = mkdtemp(pattern)) dir_ = QString::fromLocal8Bit(made);
  // Filters run as the scheduler's unprivileged user and must reach the queues' drivers.
  ::chmod(pattern, 0755);
  QDir(dir_).mkpath("client");
  // Every CUPS client of this process and of the tools it runs talks to this scheduler
  // only, and reads no client configuration or default printer from the system.
  ::setenv("CUPS_SERVER", socketPath().toLocal8Bit().constData(), 1);
  ::setenv("CUPS_SERVERROOT", (dir_ + "/client").toLocal8Bit().constData(), 1);
  ::unsetenv("LPDEST");
  ::unsetenv("PRINTER");
}

CupsScheduler::~CupsScheduler() {
  stop();
  if (!dir_.isEmpty()) QDir(dir_).removeRecursively();
}

CupsScheduler& CupsScheduler::shared() {
  static CupsScheduler scheduler;
  return scheduler;
}

bool CupsScheduler::writeConfiguration(QString* error) {
  for (const char* sub : {"root", "spool/tmp", "cache", "state", "log", "out"})
    if (!QDir(dir_).mkpath(sub)) {
      *error = "cannot make " + dir_ + "/" + sub;
      return false;
    }
  const QString files = QString(
                            "ServerRoot %1/root\n"
                            "RequestRoot %1/spool\n"
                            "TempDir %1/spool/tmp\n"
                            "CacheDir %1/cache\n"
                            "StateDir %1/state\n"
                            "ErrorLog %1/log/error_log\n"
                            "AccessLog %1/log/access_log\n"
                            "PageLog %1/log/page_log\n"
                            "FileDevice Yes\n"
                            "SystemGroup root\n")
                            .arg(dir_);
  const QString daemon = QString(
                             "Listen %1/cups.sock\n"
                             "Browsing No\n"
                             "WebInterface No\n"
                             "LogLevel info\n"
                             "DefaultAuthType None\n"
                             "PreserveJobHistory Yes\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                             "  </Limit>\n</Policy>\n")
                             .arg(dir_);
  return writeFile(dir_ + "/root/cups-files.conf", files.toLocal8Bit(), error) &&
         writeFile(dir_ + "/root/cupsd.conf", daemon.toLocal8Bit(), error) &&
         writeFile(dir_ + "/queue.ppd", kQueueDriver, error);
}

bool CupsScheduler::ensureRunning(QString* error) {
  if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0) return true;
  pid_ = -1;
  if (dir_.isEmpty()) {
    *error = "no temporary directory for the scheduler";
    return false;
  }
  const QString cupsd = findCupsd();
  if (cupsd.isEmpty()) {
    *error = "cupsd was not found (the cups package provides it; run scripts/setup)";
    return false;
  }
  if (!writeConfiguration(error)) return false;

  const QByteArray program = cupsd.toLocal8Bit();
  const QByteArray conf = (dir_ + "/root/cupsd.conf").toLocal8Bit();
  const QByteArray files = (dir_ + "/root/cups-files.conf").toLocal8Bit();
  const QByteArray out = (dir_ + "/log/cupsd.out").toLocal8Bit();
  const pid_t child = ::fork();
  if (child < 0) {
    *error = "fork failed";
    return false;
  }
  if (child == 0) {
    const int fd = ::open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
    }
    ::execl(program.constData(), program.constData(), "-f", "-c", conf.constData(), "-s",
            files.constData(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  pid_ = child;

  const auto deadline = Clock::now() + std::chrono::seconds(20);
  QString answer;
  while (Clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      *error = "cupsd exited while starting:\n" + logTail();
      return false;
    }
    if (QFile::exists(socketPath()) &&
        runProgram("lpstat", {"-h", socketPath(), "-r"}, &answer, 5000) &&
        answer.contains("is running"))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  *error = "cupsd did not answer within 20 s (" + answer.trimmed() + "):\n" + logTail();
  stop();
  return false;
}

void CupsScheduler::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  pid_ = -1;
}

QString CupsScheduler::logTail() const {
  QString text;
  for (const char* name : {"/log/cupsd.out", "/log/error_log"}) {
    QFile f(dir_ + name);
    if (f.open(QIODevice::ReadOnly)) text += QString::fromLocal8Bit(f.readAll().right(3000));
  }
  return text;
}

bool CupsScheduler::runTool(const QString& tool, const QStringList& args, QString* error) const {
  QString output;
  if (runProgram(tool, QStringList{"-h", socketPath()} + args, &output)) return true;
  *error = tool + " " + args.join(' ') + ": " + output.trimmed();
  return false;
}

bool CupsScheduler::addQueue(const QString& name, QString* error) {
  return runTool("lpadmin",
                 {"-p", name, "-v", "file://" + outputFile(name), "-P", dir_ + "/queue.ppd", "-E"},
                 error);
}

bool CupsScheduler::removeQueue(const QString& name, QString* error) {
  return runTool("lpadmin", {"-x", name}, error);
}

bool CupsScheduler::removeAllQueues(QString* error) {
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  QStringList names;
  for (int i = 0; i < count; ++i) names << QString::fromUtf8(dests[i].name);
  cupsFreeDests(count, dests);
  for (const QString& name : names)
    if (!removeQueue(name, error)) return false;
  return true;
}

bool CupsScheduler::setDefault(const QString& name, QString* error) {
  return runTool("lpadmin", {"-d", name}, error);
}

bool CupsScheduler::rejectJobs(const QString& name, QString* error) {
  return runTool("cupsreject", {name}, error);
}

QString CupsScheduler::outputFile(const QString& name) const {
  return dir_ + "/out/" + name + ".pdf";
}

std::vector<CupsScheduler::Job> CupsScheduler::jobs(int afterId) const {
  cups_job_t* list = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, nullptr, 0, CUPS_WHICHJOBS_ALL);
  std::vector<Job> out;
  for (int i = 0; i < count; ++i)
    if (list[i].id > afterId)
      out.push_back({list[i].id, QString::fromUtf8(list[i].dest), int(list[i].state)});
  cupsFreeJobs(count, list);
  std::sort(out.begin(), out.end(), [](const Job& a, const Job& b) { return a.id < b.id; });
  return out;
}

int CupsScheduler::lastJobId() const {
  const std::vector<Job> all = jobs();
  return all.empty() ? 0 : all.back().id;
}

bool CupsScheduler::waitUntilIdle(int timeoutMs) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < deadline) {
    cups_job_t* list = nullptr;
    const int active = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, nullptr, 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(std::max(active, 0), list);
    if (active == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

}  // namespace tracelink::test
