#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "cable/limits.h"
#include "cable/verdict.h"
#include "record/language.h"

namespace tracelink {

// The window's words for limits and verdicts. The judged items and a refused file are put
// in the cable's own words (cable_strings), as the report and the command line put them.

// Why the figures typed in the limits dialog are not limits, naming the field (its
// caption, given by the key) rather than a byte of a file the user never saw.
QString limitsFieldProblemText(const cable::LimitsProblem& problem, const QString& fieldCaption,
                               Language language);

// The status line after judging: the verdict, and the first failing item when it failed.
QString verdictText(const cable::Limits& limits, const cable::Verdict& verdict, Language language);

// The verdict of each row of the event table, from the judged items of the events found
// within toleranceM of the row's distance; rows with none are not judged.
struct RowVerdict {
  std::optional<bool> pass;
  QStringList failures;  // what failed there: "splice loss", "reflectance"
};
std::vector<RowVerdict> rowVerdicts(const std::vector<double>& rowDistancesM,
                                    const cable::Verdict& verdict, double toleranceM,
                                    Language language);

// The event box's text with a verdict column: headerLines lines (the last of them the
// column captions) and then one line per event row, CR LF between them as the text has.
QString markedEventText(const QString& text, int headerLines, const std::vector<RowVerdict>& rows,
                        Language language);

}  // namespace tracelink
