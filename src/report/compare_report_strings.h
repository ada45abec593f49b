#pragma once

#include <QString>

#include "record/language.h"

namespace tracelink {

// The texts of the comparison's PDF pages and of the two-direction table, beside the
// comparison's own (compare/compare_strings). In a pattern {0}, {1}, ... stand for the
// values named in the comment.
struct CompareReportStrings {
  QString overlayTitle;
  QString bidirTitle;
  QString view;  // from, to (m)
  // The legend's columns.
  QString file;
  QString wavelength;  // "Wavelength (nm)"
  QString pulse;       // "Pulse (ns)"
  QString date;
  QString offset;  // "Offset (dB)"
  // The marker table.
  QString markers;    // A, B (m)
  QString levelA;     // "A (dB)"
  QString levelB;     // "B (dB)"
  QString loss;       // the two-point loss, "Loss A-B (dB)"
  QString lsa;        // "LSA (dB/km)"
  QString noMeasure;  // the trace cannot be measured there: {0} why
  // The two-direction page.
  QString fromA;       // {0} file: the trace taken from end A
  QString fromB;       // {0} file: from end B, drawn mirrored
  QString moreEvents;  // {0} events that did not fit
  QString warnings;    // the caption before them
};

const CompareReportStrings& compareReportStrings(Language language);

}  // namespace tracelink
