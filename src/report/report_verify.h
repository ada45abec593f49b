#pragma once

#include <QByteArray>
#include <string>
#include <vector>

#include "record/result.h"

namespace tracelink {

// A cable report read back and checked against itself: every attached trace's SHA-256
// against the page that names it, and every fibre's verdict, judged again from the
// attached traces with the attached limits, against the verdict its page prints.
struct VerifyOutcome {
  // One line per thing that does not match, naming its page: "page 5: ...". Lines about
  // an attachment no page names, or a fibre no page shows, name those instead.
  std::vector<std::string> mismatches;
  int pages = 0;
  std::size_t traces = 0;  // trace files attached
  std::size_t fibres = 0;  // fibres judged again
  bool ok() const { return mismatches.empty(); }
};

// An error when the document cannot be checked at all: not a PDF, or not a cable report
// (no limits or settings attached, or ones that cannot be read).
Result<VerifyOutcome> verifyCableReport(const QByteArray& pdf);

}  // namespace tracelink
