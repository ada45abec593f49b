#include "report/report_verify.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "cable/cable_reading.h"
#include "cable/cable_strings.h"
#include "cable/limits.h"
#include "cable/summary.h"
#include "files/path_text.h"
#include "record/fill_in.h"
#include "report/cable_report.h"
#include "report/report_strings.h"
#include "trace/sha256.h"

namespace tracelink {

namespace {

// Text as the pages compare it: what a reader may put between words (spaces, line
// breaks) does not count.
// Compatibility forms too, so that a ligature a face drew ("ﬁ") reads as its letters.
QString comparable(const QString& text) {
  return text.normalized(QString::NormalizationForm_KC);
}

std::string blankless(const QString& text) {
  QString out;
  for (const QChar c : comparable(text))
    if (!c.isSpace()) out += c;
  return out.toStdString();
}

struct PageLines {
  std::vector<QString> lines;
};

Result<std::vector<PageLines>> readPages(const QByteArray& pdf) {
  // poppler reports damaged documents on standard error; the caller words the outcome.
  poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
  if (pdf.size() > std::numeric_limits<int>::max()) return Error{"too large a document to read"};
  const std::unique_ptr<poppler::document> document(
      poppler::document::load_from_raw_data(pdf.constData(), static_cast<int>(pdf.size())));
  if (!document) return Error{"not a PDF document"};
  std::vector<PageLines> pages;
  for (int i = 0; i < document->pages(); ++i) {
    PageLines page;
    const std::unique_ptr<poppler::page> p(document->create_page(i));
    if (p) {
      const poppler::byte_array bytes =
          p->text(poppler::rectf(), poppler::page::physical_layout).to_utf8();
      const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
      for (const QString& line : text.split(QChar('\n'))) page.lines.push_back(line.trimmed());
    }
    pages.push_back(std::move(page));
  }
  return pages;
}

std::string sha256Of(const std::string& bytes) {
  return Sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// A name that is a file name in a folder and nothing else: an attachment may come from
// anyone and is written to a scratch folder under this name.
bool plainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0:", 4)) == std::string::npos;
}

std::string pageLabel(std::size_t index) {
  return "page " + std::to_string(index + 1);
}

}  // namespace

Result<VerifyOutcome> verifyCableReport(const QByteArray& pdf) {
  Result<std::vector<Attachment>> attached = readAttachments(pdf);
  if (!attached) return attached.error();
  Result<std::vector<PageLines>> pages = readPages(pdf);
  if (!pages) return pages.error();

  const Attachment* limitsFile = nullptr;
  const Attachment* settingsFile = nullptr;
  std::vector<const Attachment*> traces;
  for (const Attachment& a : *attached) {
    if (a.name == kLimitsAttachment) {
      limitsFile = &a;
    } else if (a.name == kCertifyAttachment) {
      settingsFile = &a;
    } else {
      traces.push_back(&a);
    }
  }
  if (limitsFile == nullptr || settingsFile == nullptr)
    return Error{std::string("not a cable report: no ") +
                 (limitsFile == nullptr ? kLimitsAttachment : kCertifyAttachment) + " attached"};
  const cable::LimitsOutcome limits = cable::parseLimits(limitsFile->bytes);
  if (const auto* problem = std::get_if<cable::LimitsProblem>(&limits))
    return Error{std::string(kLimitsAttachment) + ": refused at key '" + problem->key + "', byte " +
                 std::to_string(problem->offset)};
  const Result<CertifySettings> settings = parseCertifyJson(settingsFile->bytes);
  if (!settings) return settings.error();

  VerifyOutcome outcome;
  outcome.pages = static_cast<int>(pages->size());
  outcome.traces = traces.size();

  // Which page names which file, and with which hash.
  static const QRegularExpression hashRe(QStringLiteral("^SHA-256\\s+([0-9a-f]{64})\\s+(.+)$"));
  struct Named {
    std::size_t page;
    std::string sha;
  };
  std::map<std::string, std::vector<Named>> namedBy;  // by blankless name
  for (std::size_t p = 0; p < pages->size(); ++p)
    for (const QString& line : (*pages)[p].lines)
      if (const QRegularExpressionMatch m = hashRe.match(comparable(line)); m.hasMatch())
        namedBy[blankless(m.captured(2))].push_back({p, m.captured(1).toStdString()});

  std::set<std::string> attachedNames;
  for (const Attachment* a : traces)
    attachedNames.insert(blankless(QString::fromStdString(a->name)));
  for (const auto& [name, where] : namedBy)
    if (!attachedNames.contains(name))
      for (const Named& n : where)
        outcome.mismatches.push_back(pageLabel(n.page) + ": names '" + name +
                                     "', which is not attached");

  QTemporaryDir scratch;
  if (!scratch.isValid()) return Error{"no scratch folder to read the attached traces in"};
  // Each attached trace checked against its pages and written where it can be read back;
  // then all read and analysed on every core, which is most of verify's work.
  std::map<std::string, std::vector<std::size_t>> pagesOfFile;  // by attachment name
  std::vector<const Attachment*> written;
  std::vector<std::string> paths;
  for (const Attachment* a : traces) {
    if (!plainFileName(a->name)) {
      outcome.mismatches.push_back("attachment '" + a->name + "': not a plain file name");
      continue;
    }
    const std::string sha = sha256Of(a->bytes);
    const auto named = namedBy.find(blankless(QString::fromStdString(a->name)));
    if (named == namedBy.end()) {
      outcome.mismatches.push_back("attachment '" + a->name + "': no page names it");
      continue;
    }
    for (const Named& n : named->second) {
      pagesOfFile[a->name].push_back(n.page);
      if (n.sha != sha)
        outcome.mismatches.push_back(pageLabel(n.page) + ": '" + a->name +
                                     "' is attached with SHA-256 " + sha + ", the page gives " +
                                     n.sha);
    }
    const std::string path = scratch.filePath(QString::fromStdString(a->name)).toStdString();
    {
      std::ofstream out(pathFromText(path), std::ios::binary);
      out.write(a->bytes.data(), static_cast<std::streamsize>(a->bytes.size()));
      if (!out) return Error{"the attached traces could not be written to a scratch folder"};
    }
    written.push_back(a);
    paths.push_back(path);
  }
  std::atomic<std::size_t> done{0};
  const std::atomic<bool> cancel{false};
  std::vector<cable::CableFile> files = *cable::readCableFiles(
      paths, Language::English, std::thread::hardware_concurrency(), done, cancel);
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!files[i].trace)
      for (const std::size_t p : pagesOfFile[written[i]->name])
        outcome.mismatches.push_back(pageLabel(p) + ": '" + written[i]->name +
                                     "' cannot be read back: " + files[i].error);

  const cable::Cable again = cable::certify(std::move(files), std::get<cable::Limits>(limits),
                                            settings->pairing, settings->events);
  outcome.fibres = again.rows.size();
  for (const cable::FibreRow& row : again.rows) {
    // The page of the fibre names its first file; it must print the verdict its traces give.
    if (row.files.empty()) continue;
    const std::string name = pathText(pathFromText(again.files[row.files.front()].path).filename());
    const auto where = pagesOfFile.find(name);
    if (where == pagesOfFile.end()) {
      outcome.mismatches.push_back("fibre " + row.fibre + ": no page names '" + name + "'");
      continue;
    }
    const QString expected = fibreVerdictLine(row, settings->language);
    const std::string wanted = blankless(expected);
    const QString head = blankless(fillIn(reportStrings(settings->language).cable.fibreVerdictPass,
                                          {QString::fromStdString(row.fibre),
                                           QString::number(row.wavelengthNm, 'f', 0), QString()}))
                             .c_str();
    for (const std::size_t p : where->second) {
      QString printed;
      bool match = false;
      for (const QString& line : (*pages)[p].lines) {
        const std::string plain = blankless(line);
        if (plain == wanted) match = true;
        if (printed.isEmpty() && QString::fromStdString(plain).startsWith(head)) printed = line;
      }
      if (!match)
        outcome.mismatches.push_back(
            pageLabel(p) + ": the page says '" +
            (printed.isEmpty() ? std::string("no verdict") : printed.toStdString()) +
            "', its traces give '" + expected.toStdString() + "'");
    }
  }
  return outcome;
}

}  // namespace tracelink
