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
// without a window hold the same canvas, scale text and value texts, in both languages
// and in a zoomed view as in the full one.
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

      const ReportSources sources = BuildReportSources(session.record(), session.header(),
                                                       session.view(), language, ",",
                                                       "save/a.otdr");
      EXPECT_EQ(sources.plotCanvas, plot.canvas());
      EXPECT_EQ(sources.text4_5.toStdString(), session.scaleText());
      EXPECT_EQ(sources.text4_0.toStdString(), session.texts().text4_0);
      EXPECT_EQ(sources.text4_1.toStdString(), session.texts().text4_1);
      EXPECT_EQ(sources.text4_3.toStdString(), session.texts().text4_3);
      EXPECT_EQ(sources.decoded.EventCount, 2);
      EXPECT_EQ(sources.decoded.EventDistance, session.decoded().EventDistance);
      EXPECT_EQ(sources.decoded.EventTypeName, session.decoded().EventTypeName);
      EXPECT_EQ(sources.traceName, "save/a.otdr");
    }
  }
}

}  // namespace
}  // namespace tracelink
