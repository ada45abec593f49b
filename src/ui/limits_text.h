#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "cable/limits.h"
#include "cable/verdict.h"
#include "ui/ui_strings.h"

namespace tracelink {

// The window's words for limits and verdicts: why limits were refused, a judged item, the
// status line's verdict and the event box's verdict column.

// Why limits were refused, naming the key (or caption, where keyCaption gives one for it).
QString limitsProblemText(const cable::LimitsProblem& problem, const UiStrings& strings,
                          const QString& keyCaption = {});

// "splice loss 0.520 dB > 0.300 dB", with the event or section it was found at; withEnd
// adds from which end and at what wavelength (for a fibre seen several ways).
QString judgementText(const cable::Judgement& judgement, const UiStrings& strings,
                      const std::string& decimalSeparator, bool withEnd = false);

// The status line after judging: the verdict, and the first failing item when it failed.
QString verdictText(const cable::Limits& limits, const cable::Verdict& verdict,
                    const UiStrings& strings, const std::string& decimalSeparator);

// The verdict of each row of the event table, from the judged items of the events found
// within toleranceM of the row's distance; rows with none are not judged.
struct RowVerdict {
  std::optional<bool> pass;
  QStringList failures;  // what failed there, e.g. "reflectance -32.00 dB > -35.00 dB"
};
std::vector<RowVerdict> rowVerdicts(const std::vector<double>& rowDistancesM,
                                    const cable::Verdict& verdict, double toleranceM,
                                    const UiStrings& strings, const std::string& decimalSeparator);

// The event box's text with a verdict column: headerLines lines (the last of them the
// column captions) and then one line per event row, CR LF between them as the text has.
QString markedEventText(const QString& text, int headerLines, const std::vector<RowVerdict>& rows,
                        const UiStrings& strings);

}  // namespace tracelink
