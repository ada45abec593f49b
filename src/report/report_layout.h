#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <variant>
#include <vector>

#include "record/decode.h"
#include "record/language.h"

namespace tracelink {

// What the main window supplies to a report, read at the moment the preview composes it.
struct ReportSources {
  QString text4_0;    // refractive index
  QString text4_1;    // pulse-width word
  QString text4_3;    // amplifier setting
  QString text4_5;    // the plot's scale text
  QImage plotCanvas;  // the hidden plot picture, black on white
  DecodedValues decoded;
  QString traceName;  // the trace's file name, or empty; suggests the name of a saved report
  // Another maker's trace: its wavelength ("1550nm"), and no IL column, which its key events
  // do not give. Empty and true for the instrument's own traces (always 1310 nm).
  QString wavelength;
  bool eventIl = true;
};

// The free texts of the print settings window, as typed.
struct ReportHeader {
  QString deviceName;    // Text1
  QString cableNo;       // Text2
  QString fiberNo;       // Text3
  QString fiberType;     // Text4
  QString operatorName;  // Text5
  QString time;          // Text6
};

// One PrintAt: top-left of the text at (x, y) in page units, size in points.
struct PageText {
  int x = 0;
  int y = 0;
  int size = 0;
  QString text;
  bool operator==(const PageText&) const = default;
};

// A one-pixel black rule between two points in page units.
struct PageLine {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const PageLine&) const = default;
};

// The plot canvas, copied 1:1 with its top-left at a canvas pixel.
struct PagePicture {
  QPoint pixel;
  bool operator==(const PagePicture&) const = default;
};

using PageItem = std::variant<PageText, PageLine, PagePicture>;

// The report page as an ordered drawing list; later items lie on top of earlier ones.
struct PageLayout {
  std::vector<PageItem> items;
};

// Lays out the page. The events list shows the rows the record holds (at most eight);
// the loss column differs by language (see the .cpp). decimalSeparator is the locale's.
PageLayout layoutReportPage(const ReportHeader& header, const ReportSources& sources,
                            Language language, const QString& decimalSeparator);

}  // namespace tracelink
