#pragma once

// The report's own small text helpers, for the report's .cpp files only.
#include <QString>
#include <string_view>

#include "measure/measure_text.h"

namespace tracelink::report_text {

// UTF-8 bytes as text.
inline QString utf8(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A figure with this many decimals and the decimal separator given, as the measurements
// word their figures.
inline QString figure(double value, int decimals, const QString& separator) {
  return utf8(formatFixed(value, decimals, separator.toStdString()));
}

}  // namespace tracelink::report_text
