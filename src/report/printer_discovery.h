#pragma once

#include <QStringList>

#include "report/print_system.h"

namespace tracelink {

// The installed printers' names in the order the system lists them, each once: a name
// reported again keeps the place of its first report, and an entry without a name is
// passed over.
QStringList ListInstalledPrinters(const PrintSystem& system);

}  // namespace tracelink
