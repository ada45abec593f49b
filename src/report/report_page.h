#pragma once

#include <QFont>
#include <QImage>
#include <QString>

class QPainter;

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

// What a page is drawn on: the page canvas bitmap (preview and printer), or a page of a
// file, where texts stay text and rules stay lines.
enum class PageDevice { CanvasImage, Document };

// Draws a laid-out page with the painter, in canvas pixels (0..kPagePixelWidth x
// 0..kPagePixelHeight); the caller maps them onto its device. On CanvasImage texts and
// rules are plain black pixels; on Document the rules are one canvas pixel wide lines
// and the glyphs are left smooth. With a standIn, that image is drawn stretched over the
// place of the plot canvas instead of the canvas itself.
void drawReportPage(QPainter& painter, const PageLayout& layout, const QImage& plotCanvas,
                    const QString& fontFamily, PageDevice device, const QImage* standIn = nullptr);

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
