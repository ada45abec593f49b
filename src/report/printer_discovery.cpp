#include "report/printer_discovery.h"

#include <QSet>

namespace tracelink {

QStringList ListInstalledPrinters(const PrintSystem& system) {
  QStringList names;
  QSet<QString> seen;
  for (const QString& name : system.printerNames()) {
    if (name.isEmpty() || seen.contains(name)) continue;
    seen.insert(name);
    names.append(name);
  }
  return names;
}

}  // namespace tracelink
