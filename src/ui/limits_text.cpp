#include "ui/limits_text.h"

#include <cmath>
#include <limits>

#include "cable/cable_strings.h"
#include "record/fill_in.h"
#include "ui/qt_text.h"
#include "ui/ui_strings.h"

namespace tracelink {

QString limitsFieldProblemText(const cable::LimitsProblem& problem, const QString& fieldCaption,
                               Language language) {
  const UiStrings& s = uiStrings(language);
  switch (problem.fault) {
    case cable::LimitsFault::MissingName:
      return s.limitsMissingName;
    case cable::LimitsFault::NotANumber:
      return fillIn(s.limitsNotANumber, {fieldCaption});
    case cable::LimitsFault::NotAWavelength:
      return fillIn(s.limitsNotAWavelength, {fieldCaption});
    case cable::LimitsFault::OutOfRange:
      return fillIn(s.limitsOutOfRange, {fieldCaption});
    case cable::LimitsFault::MinAboveMax:
      return s.limitsMinAboveMax;
    default:
      // The fields cannot give the others; should one arise, the file's words say it.
      return fromStd(cable::limitsProblemText(problem, fieldCaption.toStdString(), language));
  }
}

QString verdictText(const cable::Limits& limits, const cable::Verdict& verdict, Language language) {
  const UiStrings& s = uiStrings(language);
  const QString name = fromStd(limits.name);
  const cable::Judgement* first = verdict.firstFailure();
  if (!first) return fillIn(s.verdictPass, {name});
  qsizetype failed = 0;
  for (const cable::Judgement& j : verdict.items) failed += j.pass ? 0 : 1;
  return fillIn(s.verdictFail,
                {name, QString::number(failed), fromStd(cable::judgementText(*first, language))});
}

std::vector<RowVerdict> rowVerdicts(const std::vector<double>& rowDistancesM,
                                    const cable::Verdict& verdict, double toleranceM,
                                    Language language) {
  const UiStrings& s = uiStrings(language);
  std::vector<RowVerdict> rows(rowDistancesM.size());
  for (const cable::Judgement& j : verdict.items) {
    const QString* word = j.item == cable::Item::SpliceLoss      ? &s.itemSplice
                          : j.item == cable::Item::ConnectorLoss ? &s.itemConnector
                          : j.item == cable::Item::Reflectance   ? &s.itemReflectance
                                                                 : nullptr;
    if (!word || !j.distanceM) continue;
    // The row nearest the judged event; none when no row is that near.
    std::size_t nearest = rows.size();
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < rowDistancesM.size(); ++i) {
      const double off = std::abs(rowDistancesM[i] - *j.distanceM);
      if (off <= toleranceM && off < best) {
        best = off;
        nearest = i;
      }
    }
    if (nearest == rows.size()) continue;
    RowVerdict& row = rows[nearest];
    row.pass = row.pass.value_or(true) && j.pass;
    if (!j.pass) row.failures << *word;
  }
  return rows;
}

QString markedEventText(const QString& text, int headerLines, const std::vector<RowVerdict>& rows,
                        Language language) {
  const UiStrings& s = uiStrings(language);
  const QString lineEnd = QStringLiteral("\r\n");
  QStringList lines = text.split(lineEnd);
  if (headerLines < 1 || lines.size() < headerLines) return text;
  lines[headerLines - 1] += QLatin1Char('\t') + s.eventVerdictColumn;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const qsizetype line = headerLines + static_cast<qsizetype>(i);
    if (line >= lines.size() || lines[line].isEmpty()) break;
    if (!rows[i].pass) continue;
    lines[line] += QLatin1Char('\t');
    lines[line] +=
        *rows[i].pass ? s.markPass : fillIn(s.markFail, {rows[i].failures.join(s.markSeparator)});
  }
  return lines.join(lineEnd);
}

}  // namespace tracelink
