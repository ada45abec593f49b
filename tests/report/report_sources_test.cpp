#include "report/report_sources.h"

#include <gtest/gtest.h>

#include "record/trace_sink.h"
#include "session/trace_session.h"
#include "ui/trace_view.h"

namespace tracelink {
namespace {

// A two-block record of range index 0 with two events.
std::unique_ptr<TraceRecord> sampleRecord() {
  auto record = std::make_unique<TraceRecord>();
  for (int p = 0; p < 8000; ++p) (*record)[p] = 900 - p / 10 + (p % 7) * 3;
  (*record)[slot::kRangeN] = 0;
  (*record)[slot::kStartPoint] = 1;
  (*record)[slot::kRangeLine] = 5000;
  (*record)[slot::kReglw] = 3;
  (*record)[slot::kWendu] = 5;
  (*record)[slot::kEventCount] = 2;
  const std::int32_t events[] = {1000, 1, 2000, 1850, 3000, 2, 1700, 1500};
  for (int i = 0; i < 8; ++i) (*record)[slot::kEventList + i] = events[i];
  return record;
}

// The window draws its plot canvas through the trace view; the report's sources built
// without a window draw the same canvas, and carry the session's scale text and value
// texts, in both languages and in a zoomed view as in the full one.
TEST(BuildReportSources, MatchesWhatTheWindowsPlotHolds) {
  for (const Language language : {Language::English, Language::Chinese}) {
    for (const bool zoomed : {false, true}) {
      const std::unique_ptr<TraceRecord> record = sampleRecord();
      // As the window: the trace arrives in the session, the plot redraws from it.
      TraceSession session(language, ",");
      storeWholeRecord(session, *record);
      session.completeTrace();
      if (zoomed) {
        ASSERT_TRUE(session.zoomTo(800, 2300));
      }
      TraceView plot(session);
      plot.InitPlotSurfaces();
      plot.RedrawPlot();

      const ReportSources sources = BuildReportSources(session);
      EXPECT_EQ(sources.plotCanvas, plot.canvas());
      EXPECT_EQ(sources.text4_5.toStdString(), session.scaleText());
      EXPECT_EQ(sources.text4_0.toStdString(), session.texts().text4_0);
      EXPECT_EQ(sources.text4_1.toStdString(), session.texts().text4_1);
      EXPECT_EQ(sources.text4_3.toStdString(), session.texts().text4_3);
      EXPECT_EQ(sources.decoded.EventCount, 2);
      EXPECT_EQ(sources.decoded.EventDistance, session.decoded().EventDistance);
      EXPECT_EQ(sources.decoded.EventTypeName, session.decoded().EventTypeName);
      EXPECT_TRUE(sources.traceName.isEmpty());  // an upload has no file name
    }
  }
}

// The window hands the canvas it drew last, which the report prints as it stands, even
// when the record has changed since (a new upload under way); and a trace from a file
// carries the file's name.
TEST(BuildReportSources, TakesTheWindowsCanvasAndTheFilesName) {
  TraceSession session(Language::English, ".");
  LoadedTrace trace;
  trace.record = sampleRecord();
  trace.blocks = 2;
  ApplyHeader(*trace.record, trace.header, trace.view);
  session.showLoadedTrace(std::move(trace), "save/a.otdr");
  QImage drawn(20, 10, QImage::Format_RGB32);
  drawn.fill(Qt::red);
  const ReportSources sources = BuildReportSources(session, drawn);
  EXPECT_EQ(sources.plotCanvas, drawn);
  EXPECT_EQ(sources.traceName, "a.otdr");
  EXPECT_EQ(sources.text4_0.toStdString(), session.texts().text4_0);
}

}  // namespace
}  // namespace tracelink
