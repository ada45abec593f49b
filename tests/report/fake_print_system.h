#pragma once

#include <QImage>
#include <QStringList>
#include <vector>

#include "report/print_system.h"

namespace tracelink::test {

// A print system with a list the test sets; it records every page it is given.
class FakePrintSystem : public PrintSystem {
 public:
  struct Job {
    QString printer;
    QImage page;
  };

  QStringList names;
  QString defaultName;
  SpoolResult answer;  // what printImage reports
  std::vector<Job>* jobs = nullptr;

  QStringList printerNames() const override { return names; }
  QString defaultPrinterName() const override { return defaultName; }
  SpoolResult printImage(const QString& printerName, const QImage& page, const QString&) override {
    if (jobs) jobs->push_back({printerName, page});
    return answer;
  }
};

}  // namespace tracelink::test
