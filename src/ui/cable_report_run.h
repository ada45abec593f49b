#pragma once

#include <QString>

#include "cable/limits.h"
#include "cable/summary.h"
#include "report/cable_report.h"

namespace tracelink {

// The cable report as the cable view writes it: the PDF where the user chose, and the
// summary's CSV and XLSX beside it under the same name. Runs on any thread.
struct CableReportOutcome {
  QString csv;  // the paths written beside the PDF
  QString xlsx;
  QString problem;  // empty when all three were written; else why not, naming the file
};
CableReportOutcome writeCableReport(const cable::Cable& cable, const cable::Limits& limits,
                                    const CableReportInfo& info, const QString& pdfPath);

}  // namespace tracelink
