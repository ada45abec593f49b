#include "report/report_sources.h"

#include <gtest/gtest.h>

#include "view/trace_view.h"

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
      HeaderState header;
      header.BlocksPerTrace = 2;
      ViewWindow view;
      ApplyHeader(*record, header, view);
      if (zoomed) {
        view.ViewStart = 800;
        view.ViewEnd = 2300;
      }

      // As the window: decode, then redraw the plot.
      HeaderState windowHeader = header;
      ViewWindow windowView = view;
      DecodedValues windowDecoded;
      const DecodedTexts texts = DecodeRecord(*record, windowDecoded, language, ",");
      TraceView plot(*record, windowHeader, windowView, windowDecoded);
      plot.InitPlotSurfaces();
      plot.RedrawPlot();

      const ReportSources sources =
          BuildReportSources(*record, header, view, language, ",", "save/a.otdr");
      EXPECT_EQ(sources.plotCanvas, plot.canvas());
      EXPECT_EQ(sources.text4_5, plot.scaleText());
      EXPECT_EQ(sources.text4_0.toStdString(), texts.text4_0);
      EXPECT_EQ(sources.text4_1.toStdString(), texts.text4_1);
      EXPECT_EQ(sources.text4_3.toStdString(), texts.text4_3);
      EXPECT_EQ(sources.decoded.EventCount, 2);
      EXPECT_EQ(sources.decoded.EventDistance, windowDecoded.EventDistance);
      EXPECT_EQ(sources.decoded.EventTypeName, windowDecoded.EventTypeName);
      EXPECT_EQ(sources.traceName, "save/a.otdr");
      EXPECT_EQ(view.ViewStart, windowView.ViewStart);
      EXPECT_EQ(view.ViewEnd, windowView.ViewEnd);
    }
  }
}

}  // namespace
}  // namespace tracelink
