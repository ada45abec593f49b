#pragma once

#include <QLocale>
#include <QString>
#include <optional>

#include "measure/measure_text.h"

namespace tracelink {

// The comparison's figures as the window shows them: fixed decimals with the locale's
// separator, and a value that is not there as the tables' dash.
inline QString fixedFigure(double v, int decimals) {
  return QString::fromStdString(formatFixed(v, decimals, QLocale().decimalPoint().toStdString()));
}

inline QString fixedFigure(const std::optional<double>& v, int decimals, const QString& none) {
  return v ? fixedFigure(*v, decimals) : none;
}

}  // namespace tracelink
