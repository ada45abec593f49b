#pragma once

#include <QString>
#include <string>

#include "cable/summary.h"
#include "compare/event_list.h"
#include "record/language.h"
#include "record/result.h"

namespace tracelink {

// The cable as a workbook (XLSX) in the language: a summary sheet with the summary CSV's
// columns, a row per fibre (numbers as numbers, the verdict and first failure in the
// language), and an events sheet with a row per event of every trace and of every
// two-direction average, with its verdict and what it was judged as. events is how the
// cable was certified, so that the events listed are the ones judged.
Result<std::string> cableXlsx(
    const cable::Cable& cable, Language language,
    compare::EventSource events = compare::EventSource::InstrumentElseOurs);

}  // namespace tracelink
