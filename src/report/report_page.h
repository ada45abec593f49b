#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include "record/language.h"
#include "report/report_layout.h"

namespace tracelink {

// The face the page is printed in: the application's default, unless that cannot show the
// build's language, in which case an installed face that can.
QString reportFontFamily(Language language);

// The font of the settings and preview windows. Their controls keep the sizes they were
// designed with for a narrow 8-point face; the toolkit's default face is wider and would
// clip their captions. The face also shows the Chinese captions.
QFont reportWindowFont();

// Draws a laid-out page into a white canvas of kPagePixelWidth x kPagePixelHeight pixels
// (96 dots per inch, so point sizes come out as on screen). Texts are black, transparent,
// their top-left at the given point; the plot canvas is copied pixel for pixel and cut at
// the canvas edges.
QImage renderReportPage(const PageLayout& layout, const QImage& plotCanvas,
                        const QString& fontFamily);

// Lays out and draws the page in one go, as the preview does once per load.
QImage ComposeReportPage(const ReportHeader& header, const ReportSources& sources,
                         Language language, const QString& decimalSeparator);

}  // namespace tracelink
