// tracelink-cli report: the report page of each trace as a PDF, one document for all
// (--out) or one per trace (--out-dir).
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>
#include <vector>

#include "cli_command.h"
#include "cli_qt.h"
#include "cli_trace.h"
#include "files/atomic_file.h"
#include "files/path_text.h"
#include "report/report_pdf.h"
#include "report/report_sources.h"
#include "report/report_strings.h"

namespace tracelink::cli {

namespace {

namespace fs = std::filesystem;

struct ReportOptions {
  std::vector<std::string> files;
  std::string out;
  std::string outDir;
  Language language = Language::English;
  std::optional<std::string> device, cable, fiber, fiberType, operatorName, time;
  bool force = false;
  unsigned jobs = 0;  // 0: one per core
};

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string parseReportArgs(std::span<const std::string> args, ReportOptions& o) {
  const std::map<std::string, std::optional<std::string>*> texts{
      {"--device", &o.device},        {"--cable", &o.cable},           {"--fiber", &o.fiber},
      {"--fiber-type", &o.fiberType}, {"--operator", &o.operatorName}, {"--time", &o.time}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool takesValue =
        texts.contains(a) || a == "--out" || a == "--out-dir" || a == "--lang" || a == "--jobs";
    if (a == "--force") {
      o.force = true;
    } else if (takesValue) {
      if (i + 1 == args.size()) return "report: " + a + " needs a value";
      const std::string& value = args[++i];
      if (const auto t = texts.find(a); t != texts.end()) {
        *t->second = value;
      } else if (a == "--out") {
        o.out = value;
      } else if (a == "--out-dir") {
        o.outDir = value;
      } else if (a == "--lang") {
        if (value != "en" && value != "zh") return "report: --lang '" + value + "' is not en or zh";
        o.language = value == "en" ? Language::English : Language::Chinese;
      } else {
        const int n = std::atoi(value.c_str());
        if (n < 1 || n > 256 || std::to_string(n) != value)
          return "report: --jobs '" + value + "' is not a number 1..256";
        o.jobs = static_cast<unsigned>(n);
      }
    } else if (a.starts_with("-") && a != "-") {
      return "report: unknown option '" + a + "' (see --help)";
    } else {
      o.files.push_back(a);
    }
  }
  if (o.files.empty()) return "report: no FILE given (see --help)";
  if (o.out.empty() == o.outDir.empty())
    return "report: give either --out FILE.pdf or --out-dir DIR";
  return {};
}

QString qtext(const std::string& s) {
  return QString::fromStdString(s);
}

// The header the print settings window would show, with what the options replace. The
// window's time field holds its load time; a file report gives the time the trace was
// saved.
ReportHeader headerFor(const ReportOptions& o, const std::string& file) {
  ReportHeader h = defaultReportHeader(o.language, QFileInfo(qtext(file)).lastModified());
  const auto pick = [](const std::optional<std::string>& given, QString& field) {
    if (given) field = qtext(*given);
  };
  pick(o.device, h.deviceName);
  pick(o.cable, h.cableNo);
  pick(o.fiber, h.fiberNo);
  pick(o.fiberType, h.fiberType);
  pick(o.operatorName, h.operatorName);
  pick(o.time, h.time);
  return h;
}

struct Page {
  ReportHeader header;
  ReportSources sources;
};

Result<Page> pageFor(const ReportOptions& o, const std::string& file, const QString& separator) {
  Result<LoadedTrace> trace = loadTrace(file);
  if (!trace) return trace.error();
  Page page;
  page.header = headerFor(o, file);
  // The trace as the window shows it after loading the file, and the report it prints.
  TraceSession session(o.language, separator.toStdString());
  session.showLoadedTrace(std::move(*trace), pathFromText(file));
  page.sources = BuildReportSources(session);
  return page;
}

Status writePdf(const fs::path& path, const QByteArray& bytes, bool force) {
  return WriteFileAtomically(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
      force ? ExistingFile::Replace : ExistingFile::Keep);
}

// One line "report 37/500 name" on a terminal, rewritten in place; nothing elsewhere.
class Progress {
 public:
  Progress(std::ostream& err, std::size_t total)
      : err_(err), total_(total), shown_(::isatty(STDERR_FILENO) == 1) {}
  void step(std::size_t done, const std::string& file) {
    if (!shown_) return;
    put("report " + std::to_string(done) + "/" + std::to_string(total_) + " " + file);
  }
  // Error lines go above the progress line.
  void message(const std::string& line) {
    clear();
    fail(err_, line);
  }
  void clear() {
    if (shown_ && width_ > 0) put("");
    width_ = 0;
  }

 private:
  void put(const std::string& line) {
    err_ << '\r' << line;
    if (line.size() < width_) err_ << std::string(width_ - line.size(), ' ') << '\r' << line;
    if (line.empty()) err_ << '\r';
    err_.flush();
    width_ = line.size();
  }
  std::ostream& err_;
  std::size_t total_;
  bool shown_;
  std::size_t width_ = 0;
};

// Runs work(i) for every input on a pool of threads and hands the outcomes to the caller
// in input order as they become ready. At most `ahead` outcomes wait to be taken, so a
// long batch into one document does not hold every plot at once.
template <class T>
class OrderedPool {
 public:
  OrderedPool(std::size_t count, unsigned threads, std::function<T(std::size_t)> work)
      : work_(std::move(work)), results_(count), ahead_(std::max<std::size_t>(2 * threads, 4)) {
    for (unsigned t = 0; t < threads; ++t) threads_.emplace_back([this] { run(); });
  }
  ~OrderedPool() {
    {
      const std::lock_guard lock(mutex_);
      next_ = results_.size();  // nothing more is started
      taken_ = results_.size();
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  // Waits for outcome i; outcomes are taken once each, in order.
  T take(std::size_t i) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return results_[i].has_value(); });
    T value = std::move(*results_[i]);
    results_[i].reset();
    taken_ = i + 1;
    changed_.notify_all();
    return value;
  }

 private:
  void run() {
    for (;;) {
      std::size_t i = 0;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return next_ >= results_.size() || next_ < taken_ + ahead_; });
        if (next_ >= results_.size()) return;
        i = next_++;
      }
      T value = work_(i);
      {
        const std::lock_guard lock(mutex_);
        results_[i] = std::move(value);
      }
      changed_.notify_all();
    }
  }

  std::function<T(std::size_t)> work_;
  std::vector<std::optional<T>> results_;
  std::size_t ahead_;
  std::size_t next_ = 0;
  std::size_t taken_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> threads_;
};

unsigned threadCount(const ReportOptions& o) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned wanted = o.jobs != 0 ? o.jobs : cores;
  return static_cast<unsigned>(std::min<std::size_t>(wanted, o.files.size()));
}

int reportIntoOneFile(const ReportOptions& o, const QString& separator, std::ostream& err) {
  const fs::path out = pathFromText(o.out);
  std::error_code ec;
  if (!o.force && fs::exists(fs::symlink_status(out, ec)))
    return fail(err, pathText(out) + ": exists already (--force replaces it)");

  Progress progress(err, o.files.size());
  ReportPdfWriter writer(o.language, separator);
  bool anyFailed = false;
  {
    OrderedPool<Result<Page>> pool(o.files.size(), threadCount(o), [&](std::size_t i) {
      return pageFor(o, o.files[i], separator);
    });
    for (std::size_t i = 0; i < o.files.size(); ++i) {
      const Result<Page> page = pool.take(i);
      progress.step(i + 1, o.files[i]);
      if (!page) {
        progress.message(page.error().text());
        anyFailed = true;
        continue;
      }
      writer.addPage(page->header, page->sources);
    }
  }
  progress.clear();
  if (writer.pageCount() == 0)
    return fail(err, pathText(out) + ": not written, no page to put in it");
  const Result<QByteArray> bytes = writer.finish();
  if (!bytes) return fail(err, pathText(out) + ": " + bytes.error().text());
  if (const Status written = writePdf(out, *bytes, o.force); !written) {
    return fail(err, saveFailureText(written.error()));
  }
  return anyFailed ? kExitFailure : kExitOk;
}

int reportIntoFolder(const ReportOptions& o, const QString& separator, std::ostream& err) {
  const fs::path dir = pathFromText(o.outDir);
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return fail(err, pathText(dir) + ": is not a folder");

  // Two inputs of the same base name would write one file; the later one is refused.
  std::vector<fs::path> targets;
  std::map<fs::path, std::size_t> firstOwner;
  std::vector<std::string> clash(o.files.size());
  for (std::size_t i = 0; i < o.files.size(); ++i) {
    targets.push_back(dir / pathFromText(o.files[i]).filename().replace_extension(".pdf"));
    const auto [it, fresh] = firstOwner.emplace(targets.back(), i);
    if (!fresh)
      clash[i] = pathText(targets.back()) + ": also the report of '" + o.files[it->second] +
                 "', not written for '" + o.files[i] + "'";
  }

  Progress progress(err, o.files.size());
  bool anyFailed = false;
  OrderedPool<Status> pool(o.files.size(), threadCount(o), [&](std::size_t i) -> Status {
    if (!clash[i].empty()) return Error{clash[i]};
    const Result<Page> page = pageFor(o, o.files[i], separator);
    if (!page) return page.error();
    const Result<QByteArray> bytes = ReportPdf(page->header, page->sources, o.language, separator);
    if (!bytes) return Error{pathText(targets[i]) + ": " + bytes.error().text()};
    Status written = writePdf(targets[i], *bytes, o.force);
    if (!written) return Error{saveFailureText(written.error())};
    return written;
  });
  for (std::size_t i = 0; i < o.files.size(); ++i) {
    const Status done = pool.take(i);
    progress.step(i + 1, o.files[i]);
    if (!done) {
      progress.message(done.error().text());
      anyFailed = true;
    }
  }
  progress.clear();
  return anyFailed ? kExitFailure : kExitOk;
}

int runReport(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  ReportOptions options;
  if (const std::string problem = parseReportArgs(args, options); !problem.empty())
    return fail(err, problem);
  const std::unique_ptr<QGuiApplication> app = startGuiApplication();
  const QString separator = QLocale().decimalPoint();
  const int status = options.out.empty() ? reportIntoFolder(options, separator, err)
                                         : reportIntoOneFile(options, separator, err);
  out.flush();
  return status;
}

}  // namespace

extern const Command kReportCommand{
    "report",
    "report FILE... (--out FILE.pdf | --out-dir DIR) [--lang en|zh] [--device TEXT]\n"
    "         [--cable TEXT] [--fiber TEXT] [--fiber-type TEXT] [--operator TEXT]\n"
    "         [--time TEXT] [--force] [--jobs N]",
    "Write the report page of each FILE as the window prints it, as PDF (A4): all pages "
    "in one file, in the order given (--out), or FILE's base name with .pdf in DIR "
    "(--out-dir). The header fields default to the print settings window's, the time to "
    "the file's modification time. An existing file is replaced only with --force. A bad "
    "FILE is named and skipped; the exit status is then 2. Uses every core unless --jobs.",
    runReport};

}  // namespace tracelink::cli
