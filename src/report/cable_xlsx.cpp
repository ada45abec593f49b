#include "report/cable_xlsx.h"

#include <xlsxwriter.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "cable/cable_strings.h"
#include "files/path_text.h"
#include "report/cable_report.h"
#include "report/report_strings.h"

namespace tracelink {

namespace {

std::string text(const QString& s) {
  return s.toStdString();
}

// A summary field as its cell: a number as a number (as the CSV wrote it, to its decimals),
// anything else as text; a figure not found leaves the cell empty. A number field that
// holds no finite number (a figure that was none) stays text.
void writeField(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const cable::CsvField& field) {
  if (field.text.empty()) return;
  if (field.number) {
    char* end = nullptr;
    const double value = std::strtod(field.text.c_str(), &end);
    if (end == field.text.c_str() + field.text.size() && std::isfinite(value)) {
      worksheet_write_number(sheet, row, col, value, nullptr);
      return;
    }
  }
  worksheet_write_string(sheet, row, col, field.text.c_str(), nullptr);
}

void writeHeader(lxw_worksheet* sheet, lxw_format* bold, const std::vector<QString>& captions) {
  for (std::size_t c = 0; c < captions.size(); ++c) {
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), text(captions[c]).c_str(), bold);
    worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                         std::max(10.0, 1.2 * static_cast<double>(captions[c].size())), nullptr);
  }
  worksheet_freeze_panes(sheet, 1, 0);
}

QString typeWord(EventType type, const CableReportStrings& s) {
  switch (type) {
    case EventType::Launch:
      return s.launch;
    case EventType::Reflective:
      return s.reflective;
    case EventType::NonReflective:
      return s.nonReflective;
    case EventType::Gainer:
      return s.gainer;
    case EventType::End:
      return s.end;
  }
  return {};
}

// The verdict of an event and what it was judged as, from the judgements naming it.
struct EventVerdict {
  QString verdict;
  QString judged;
};
EventVerdict eventVerdict(const cable::Verdict& verdict, int eventNo, char direction,
                          double wavelengthNm, Language language) {
  const CableReportStrings& s = reportStrings(language).cable;
  EventVerdict out{s.notJudged, {}};
  bool any = false;
  bool failed = false;
  for (const cable::Judgement& j : verdict.items) {
    if (j.eventNo != eventNo || j.direction != direction ||
        std::abs(j.wavelengthNm - wavelengthNm) > 0.5)
      continue;
    if (j.item == cable::Item::Attenuation) continue;  // a section's, not the event's
    out.judged += (any ? QStringLiteral("; ") : QString()) +
                  QString::fromStdString(cable::judgementText(j, language));
    any = true;
    failed = failed || !j.pass;
  }
  if (any) out.verdict = QString::fromStdString(std::string(cable::verdictWord(!failed, language)));
  return out;
}

}  // namespace

Result<std::string> cableXlsx(const cable::Cable& cable, Language language,
                              compare::EventSource events) {
  const CableReportStrings& s = reportStrings(language).cable;
  QTemporaryDir scratch;
  if (!scratch.isValid()) return Error{"no scratch folder to write the workbook in"};
  const std::string path = scratch.filePath(QStringLiteral("cable.xlsx")).toStdString();
  lxw_workbook* book = workbook_new(path.c_str());
  if (book == nullptr) return Error{"the workbook could not be started"};
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);

  // The summary: the CSV's fields as they are, cell by cell, but the verdict and the first
  // failure in the sheet's language.
  lxw_worksheet* summary = workbook_add_worksheet(book, text(s.summarySheet).c_str());
  writeHeader(summary, bold,
              {s.fibreColumn, s.fileColumn, s.wavelengthColumn, s.lengthColumn, s.lossColumn,
               s.dbPerKmColumn, s.eventsColumn, s.worstSpliceColumn, s.worstConnectorColumn,
               s.worstReflectanceColumn, s.orlColumn, s.verdictColumn, s.firstFailureColumn});
  constexpr std::size_t kVerdictField = 11;
  for (std::size_t r = 0; r < cable.rows.size(); ++r) {
    const std::vector<cable::CsvField> fields = cable::cableCsvFields(cable, r);
    const auto row = static_cast<lxw_row_t>(r + 1);
    // The fibre and the files are names, whatever digits they hold ("05" stays "05").
    for (std::size_t c = 0; c < kVerdictField; ++c) {
      if (c < 2)
        worksheet_write_string(summary, row, static_cast<lxw_col_t>(c), fields[c].text.c_str(),
                               nullptr);
      else
        writeField(summary, row, static_cast<lxw_col_t>(c), fields[c]);
    }
    const cable::Judgement* first = cable.rows[r].verdict.firstFailure();
    worksheet_write_string(
        summary, row, kVerdictField,
        text(QString::fromStdString(std::string(cable::verdictWord(first == nullptr, language))))
            .c_str(),
        nullptr);
    if (first)
      worksheet_write_string(
          summary, row, kVerdictField + 1,
          text(QString::fromStdString(cable::judgementText(*first, language))).c_str(), nullptr);
  }

  lxw_worksheet* sheet = workbook_add_worksheet(book, text(s.eventsSheet).c_str());
  writeHeader(sheet, bold,
              {s.fibreColumn, s.fileColumn, s.directionColumn, s.wavelengthColumn, s.eventColumn,
               s.distanceColumn, s.typeColumn, s.eventLossColumn, s.eventReflectanceColumn,
               s.verdictColumn, s.itemColumn});
  lxw_row_t at = 1;
  const auto put = [&](const cable::FibreRow& row, const QString& file, char direction,
                       double wavelengthNm, int no, const KeyEvent& e) {
    const EventVerdict v = eventVerdict(row.verdict, no, direction, wavelengthNm, language);
    worksheet_write_string(sheet, at, 0, row.fibre.c_str(), nullptr);
    worksheet_write_string(sheet, at, 1, text(file).c_str(), nullptr);
    worksheet_write_string(sheet, at, 2,
                           text(direction == 'B'   ? s.fromB
                                : direction == '2' ? s.averaged
                                                   : s.fromA)
                               .c_str(),
                           nullptr);
    worksheet_write_number(sheet, at, 3, wavelengthNm, nullptr);
    worksheet_write_number(sheet, at, 4, no, nullptr);
    worksheet_write_number(sheet, at, 5, e.distanceM, nullptr);
    worksheet_write_string(sheet, at, 6, text(typeWord(e.type, s)).c_str(), nullptr);
    worksheet_write_number(sheet, at, 7, e.spliceLossDb, nullptr);
    if (e.reflectanceDb) worksheet_write_number(sheet, at, 8, *e.reflectanceDb, nullptr);
    worksheet_write_string(sheet, at, 9, text(v.verdict).c_str(), nullptr);
    if (!v.judged.isEmpty()) worksheet_write_string(sheet, at, 10, text(v.judged).c_str(), nullptr);
    ++at;
  };
  for (const cable::FibreRow& row : cable.rows) {
    for (const std::size_t i : row.files) {
      const cable::CableFile& f = cable.files.at(i);
      if (!f.trace) continue;
      const compare::FibreEvents found = f.ours ? compare::fibreEvents(*f.trace, events, *f.ours)
                                                : compare::fibreEvents(*f.trace, events);
      const QString name = QFileInfo(QString::fromStdString(f.path)).fileName();
      for (std::size_t k = 0; k < found.events.size(); ++k)
        put(row, name, f.direction, f.trace->acquisition.wavelengthNm, static_cast<int>(k + 1),
            found.events[k]);
    }
    for (const compare::BidirResult& both : row.bothEnds) {
      for (const compare::BidirEvent& e : both.events) {
        KeyEvent averaged;
        averaged.distanceM = e.distanceM;
        averaged.type = e.type;
        averaged.spliceLossDb = e.averageDb;
        averaged.reflectanceDb = e.reflectanceDb;
        put(row, QString(), '2', both.wavelengthNm, e.no, averaged);
      }
    }
  }
  if (const lxw_error closed = workbook_close(book); closed != LXW_NO_ERROR)
    return Error{std::string("the workbook could not be written: ") + lxw_strerror(closed)};
  std::ifstream in(pathFromText(path), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return Error{"the workbook could not be read back"};
  return bytes;
}

}  // namespace tracelink
