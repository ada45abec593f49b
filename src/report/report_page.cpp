#include "report/report_page.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include "record/units.h"
#include "report/page_geometry.h"

namespace tracelink {

namespace {

constexpr double kCanvasDpi = 96.0;
constexpr double kMetresPerInch = 0.0254;
constexpr double kPointsPerInch = 72.0;

// The canvas with its pen, font and transparent text, so every text goes through PrintAt
// the same way.
class PageCanvas {
 public:
  PageCanvas(QImage& image, const QString& family) : painter_(&image), family_(family) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(QPen(Qt::black, 0));
    painter_.setBackgroundMode(Qt::TransparentMode);
  }

  void PrintAt(int x, int y, int size, const QString& text) {
    QFont font(family_);
    font.setPixelSize(nearest(size * kCanvasDpi / kPointsPerInch));
    // Plain black glyph pixels, as the page is printed from this bitmap.
    font.setStyleStrategy(QFont::NoAntialias);
    painter_.setFont(font);
    const QPoint at = pageUnitToPixel(x, y);
    painter_.drawText(at.x(), at.y() + QFontMetrics(font).ascent(), text);
  }

  void Line(const PageLine& line) {
    painter_.drawLine(pageUnitToPixel(line.x1, line.y1), pageUnitToPixel(line.x2, line.y2));
  }

  void Copy(const QImage& source, QPoint pixel) {
    if (source.isNull()) return;
    painter_.save();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.drawImage(pixel, source);
    painter_.restore();
  }

 private:
  QPainter painter_;
  QString family_;
};

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};

}  // namespace

QString reportFontFamily(Language language) {
  const QString family = QGuiApplication::font().family();
  if (language == Language::English) return family;
  if (QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
    return family;
  for (const char* preferred : {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "WenQuanYi Zen Hei",
                                "Source Han Sans SC", "AR PL UMing CN"}) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(preferred))) return preferred;
  }
  const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
  return chinese.isEmpty() ? family : chinese.first();
}

QFont reportWindowFont() {
  QFont font(reportFontFamily(Language::Chinese));
  font.setPixelSize(11);
  return font;
}

QImage renderReportPage(const PageLayout& layout, const QImage& plotCanvas,
                        const QString& fontFamily) {
  QImage image(kPagePixelWidth, kPagePixelHeight, QImage::Format_RGB32);
  const int dotsPerMetre = nearest(kCanvasDpi / kMetresPerInch);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  image.fill(Qt::white);
  {
    PageCanvas canvas(image, fontFamily);
    for (const PageItem& item : layout.items) {
      std::visit(Overloaded{
                     [&](const PageText& t) { canvas.PrintAt(t.x, t.y, t.size, t.text); },
                     [&](const PageLine& l) { canvas.Line(l); },
                     [&](const PagePicture& p) { canvas.Copy(plotCanvas, p.pixel); },
                 },
                 item);
    }
  }  // the painter ends here, before the image is handed out
  return image;
}

QImage ComposeReportPage(const ReportHeader& header, const ReportSources& sources,
                         Language language, const QString& decimalSeparator) {
  return renderReportPage(layoutReportPage(header, sources, language, decimalSeparator),
                          sources.plotCanvas, reportFontFamily(language));
}

}  // namespace tracelink
