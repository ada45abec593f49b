#include "report/cable_report.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>

#include "cable/cable_strings.h"
#include "files/path_text.h"
#include "record/fill_in.h"
#include "report/report_sources.h"
#include "report/report_strings.h"
#include "report/report_text.h"
#include "session/trace_session.h"

namespace tracelink {

namespace {

using report_text::utf8;

QString fileNameOf(const std::string& path) {
  return QFileInfo(utf8(path)).fileName();
}

}  // namespace

QString fibreVerdictLine(const cable::FibreRow& row, Language language) {
  const CableReportStrings& s = reportStrings(language).cable;
  const cable::Judgement* first = row.verdict.firstFailure();
  const QString word = utf8(std::string(cable::verdictWord(first == nullptr, language)));
  const QString nm = QString::number(row.wavelengthNm, 'f', 0);
  if (first == nullptr) return fillIn(s.fibreVerdictPass, {utf8(row.fibre), nm, word});
  return fillIn(s.fibreVerdict,
                {utf8(row.fibre), nm, word, utf8(cable::judgementText(*first, language))});
}

QString hashLine(const std::string& sha256, const QString& fileName, Language language) {
  return fillIn(reportStrings(language).cable.hashLine, {utf8(sha256), fileName});
}

std::vector<QString> attachmentNames(const cable::Cable& cable) {
  std::vector<QString> names(cable.files.size());
  std::set<QString> taken{QString::fromLatin1(kLimitsAttachment),
                          QString::fromLatin1(kCertifyAttachment)};
  for (std::size_t i = 0; i < cable.files.size(); ++i) {
    if (!cable.files[i].trace) continue;
    const QString name = fileNameOf(cable.files[i].path);
    QString candidate = name;
    for (int n = 2; taken.contains(candidate); ++n) {
      const QFileInfo info(name);
      const QString suffix = info.suffix();
      candidate = info.completeBaseName() + QStringLiteral(" (%1)").arg(n) +
                  (suffix.isEmpty() ? QString() : QChar('.') + suffix);
    }
    taken.insert(candidate);
    names[i] = candidate;
  }
  return names;
}

Result<FibrePage> buildFibrePage(const cable::Cable& cable, std::size_t row,
                                 const CableReportInfo& info) {
  const cable::FibreRow& r = cable.rows.at(row);
  if (r.files.empty()) return Error{"fibre " + r.fibre + ": no file"};
  const std::string& path = cable.files.at(r.files.front()).path;
  // The trace as the window shows it after loading the file, and the page it prints.
  TraceSession session(info.language, info.decimalSeparator.toStdString());
  if (const Status read = session.loadFile(pathFromText(path)); !read) return read.error();
  FibrePage page;
  page.header = defaultReportHeader(info.language, QFileInfo(utf8(path)).lastModified());
  page.header.fiberNo = utf8(r.fibre);
  if (const ForeignShown* foreign = session.foreign()) {
    const Identity& id = foreign->trace.identity;
    if (!utf8(id.cable).trimmed().isEmpty()) page.header.cableNo = utf8(id.cable).trimmed();
    if (!utf8(id.operatorName).trimmed().isEmpty())
      page.header.operatorName = utf8(id.operatorName).trimmed();
  }
  if (!info.cable.isEmpty()) page.header.cableNo = info.cable;
  if (!info.operatorName.isEmpty()) page.header.operatorName = info.operatorName;
  page.sources = BuildReportSources(session);
  page.picture = reportPdfPicture(page.sources.plotCanvas);
  for (const std::size_t i : r.files) {
    if (!cable.files.at(i).trace) continue;
    Result<Attachment> file = certifiedAttachment(cable.files[i]);
    if (!file) return file.error();
    page.files.emplace_back(i, std::move(*file));
  }
  return page;
}

std::string certifyJson(const CableReportInfo& info) {
  QJsonObject o;
  o[QStringLiteral("pattern")] = utf8(info.pairing.namePattern);
  o[QStringLiteral("events")] = info.events == compare::EventSource::Ours
                                    ? QStringLiteral("ours")
                                    : QStringLiteral("instrument");
  o[QStringLiteral("language")] =
      info.language == Language::Chinese ? QStringLiteral("zh") : QStringLiteral("en");
  o[QStringLiteral("decimalSeparator")] = info.decimalSeparator;
  return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
}

Result<CertifySettings> parseCertifyJson(const std::string& json) {
  const auto bad = [](const std::string& why) {
    return Error{std::string(kCertifyAttachment) + ": " + why};
  };
  QJsonParseError error;
  const QJsonDocument doc =
      QJsonDocument::fromJson(QByteArray(json.data(), static_cast<qsizetype>(json.size())), &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return bad("not a JSON object");
  const QJsonObject o = doc.object();
  CertifySettings s;
  const QJsonValue pattern = o.value(QStringLiteral("pattern"));
  const QJsonValue events = o.value(QStringLiteral("events"));
  const QJsonValue language = o.value(QStringLiteral("language"));
  const QJsonValue separator = o.value(QStringLiteral("decimalSeparator"));
  if (!pattern.isString()) return bad("\"pattern\" is not a string");
  s.pairing.namePattern = pattern.toString().toStdString();
  if (events.toString() == QStringLiteral("ours")) {
    s.events = compare::EventSource::Ours;
  } else if (events.toString() != QStringLiteral("instrument")) {
    return bad("\"events\" is neither \"instrument\" nor \"ours\"");
  }
  if (language.toString() == QStringLiteral("zh")) {
    s.language = Language::Chinese;
  } else if (language.toString() != QStringLiteral("en")) {
    return bad("\"language\" is neither \"en\" nor \"zh\"");
  }
  if (!separator.isString() || separator.toString().size() != 1)
    return bad("\"decimalSeparator\" is not one character");
  s.decimalSeparator = separator.toString();
  return s;
}

}  // namespace tracelink
