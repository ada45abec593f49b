#include "ui/limits_text.h"

#include <cmath>
#include <limits>

#include "record/fill_in.h"
#include "session/trace_texts.h"
#include "ui/qt_text.h"

namespace tracelink {

namespace {

struct ItemForm {
  const QString* word;
  int decimals;
  const char* unit;
  bool atLeast;  // the limit is a minimum
};

ItemForm itemForm(cable::Item item, const UiStrings& s) {
  switch (item) {
    case cable::Item::SpliceLoss:
      return {&s.itemSplice, 3, "dB", false};
    case cable::Item::ConnectorLoss:
      return {&s.itemConnector, 3, "dB", false};
    case cable::Item::Reflectance:
      return {&s.itemReflectance, 2, "dB", false};
    case cable::Item::Attenuation:
      return {&s.itemAttenuation, 3, "dB/km", false};
    case cable::Item::LinkLoss:
      return {&s.itemLinkLoss, 3, "dB", false};
    case cable::Item::Orl:
      return {&s.itemOrl, 2, "dB", true};
    case cable::Item::LengthMin:
      return {&s.itemLengthMin, 1, "m", true};
    case cable::Item::LengthMax:
      break;
  }
  return {&s.itemLengthMax, 1, "m", false};
}

// The figure alone: "splice loss 0.520 dB > 0.300 dB".
QString figureText(const cable::Judgement& j, const UiStrings& s, const std::string& sep) {
  const ItemForm form = itemForm(j.item, s);
  return fillIn(form.atLeast ? s.failureBelow : s.failureAbove,
                {*form.word, fromStd(fixedText(j.value, form.decimals, sep)),
                 fromStd(fixedText(j.limit, form.decimals, sep)), QString::fromLatin1(form.unit)});
}

}  // namespace

QString limitsProblemText(const cable::LimitsProblem& problem, const UiStrings& s,
                          const QString& keyCaption) {
  const QString key = !keyCaption.isEmpty() ? keyCaption
                      : problem.key.empty() ? s.limitsDocument
                                            : fromStd(problem.key);
  switch (problem.fault) {
    case cable::LimitsFault::NotJson:
      return fillIn(s.limitsNotJson, {QString::number(problem.offset)});
    case cable::LimitsFault::NotAnObject:
      return fillIn(s.limitsNotAnObject, {key});
    case cable::LimitsFault::MissingName:
      return s.limitsMissingName;
    case cable::LimitsFault::NotANumber:
      return fillIn(s.limitsNotANumber, {key});
    case cable::LimitsFault::NotABoolean:
      return fillIn(s.limitsNotABoolean, {key});
    case cable::LimitsFault::NotAString:
      return fillIn(s.limitsNotAString, {key});
    case cable::LimitsFault::NotAWavelength:
      return fillIn(s.limitsNotAWavelength, {key});
    case cable::LimitsFault::OutOfRange:
      return fillIn(s.limitsOutOfRange, {key});
    case cable::LimitsFault::UnknownKey:
      return fillIn(s.limitsUnknownKey, {key});
    case cable::LimitsFault::DuplicateKey:
      return fillIn(s.limitsDuplicateKey, {key});
    case cable::LimitsFault::MinAboveMax:
      break;
  }
  return s.limitsMinAboveMax;
}

QString judgementText(const cable::Judgement& j, const UiStrings& s, const std::string& sep,
                      bool withEnd) {
  QString text = figureText(j, s, sep);
  if (j.eventNo > 0 && j.item != cable::Item::Attenuation) {
    text = fillIn(s.failureAtEvent, {text, QString::number(j.eventNo),
                                     fromStd(fixedText(j.distanceM.value_or(0), 2, sep))});
  } else if (j.item == cable::Item::Attenuation && j.distanceM) {
    text = fillIn(s.failureAtSection, {text, fromStd(fixedText(*j.distanceM, 2, sep))});
  }
  if (withEnd) {
    const QString& end = j.direction == 'B'   ? s.directionBA
                         : j.direction == '2' ? s.directionBoth
                                              : s.directionAB;
    text = fillIn(s.failureFromEnd, {text, end, QString::number(std::lround(j.wavelengthNm))});
  }
  return text;
}

QString verdictText(const cable::Limits& limits, const cable::Verdict& verdict, const UiStrings& s,
                    const std::string& sep) {
  const QString name = fromStd(limits.name);
  const cable::Judgement* first = verdict.firstFailure();
  if (!first) return fillIn(s.verdictPass, {name});
  qsizetype failed = 0;
  for (const cable::Judgement& j : verdict.items) failed += j.pass ? 0 : 1;
  return fillIn(s.verdictFail, {name, QString::number(failed), judgementText(*first, s, sep)});
}

std::vector<RowVerdict> rowVerdicts(const std::vector<double>& rowDistancesM,
                                    const cable::Verdict& verdict, double toleranceM,
                                    const UiStrings& s, const std::string& sep) {
  std::vector<RowVerdict> rows(rowDistancesM.size());
  for (const cable::Judgement& j : verdict.items) {
    const bool ofEvent = j.item == cable::Item::SpliceLoss ||
                         j.item == cable::Item::ConnectorLoss || j.item == cable::Item::Reflectance;
    if (!ofEvent || !j.distanceM) continue;
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
    if (!j.pass) row.failures << figureText(j, s, sep);
  }
  return rows;
}

QString markedEventText(const QString& text, int headerLines, const std::vector<RowVerdict>& rows,
                        const UiStrings& s) {
  const QString lineEnd = QStringLiteral("\r\n");
  QStringList lines = text.split(lineEnd);
  if (headerLines < 1 || lines.size() < headerLines) return text;
  lines[headerLines - 1] += QLatin1Char('\t') + s.eventVerdictColumn;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const qsizetype line = headerLines + static_cast<qsizetype>(i);
    if (line >= lines.size() || lines[line].isEmpty()) break;
    if (!rows[i].pass) continue;
    lines[line] +=
        QLatin1Char('\t') +
        (*rows[i].pass ? s.markPass : fillIn(s.markFail, {rows[i].failures.join(s.markSeparator)}));
  }
  return lines.join(lineEnd);
}

}  // namespace tracelink
