#pragma once

#include <QApplication>

#include "record/trace_record.h"
#include "record/trace_sink.h"
#include "render/render_test_support.h"
#include "session/trace_session.h"

namespace tracelink::test {

// Widgets and text need an application object; one for the whole test program.
inline void ensureApp() {
  static int argc = 1;
  static char name[] = "ui_plot_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

// Puts a whole record into the session the way a transfer does: every block stored, the
// header applied, the trace completed (decoded, announced).
inline void putRecord(TraceSession& session, const TraceRecord& record) {
  storeWholeRecord(session, record);
  session.completeTrace();
}

}  // namespace tracelink::test
