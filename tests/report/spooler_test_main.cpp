// main() for the tests against a private CUPS scheduler: CUPS clients read where the
// scheduler is when they first need it, so the environment is set before anything else.
#include <gtest/gtest.h>

#include <QApplication>

#include "cups_scheduler.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  tracelink::test::CupsScheduler& scheduler = tracelink::test::CupsScheduler::shared();
  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
    scheduler.stop();
  }
  return result;
}
