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

// The page's drawing on one painter, so every text goes through PrintAt the same way.
// Coordinates are canvas pixels whatever the device: a PDF page gets them through the
// painter's transformation.
class PageCanvas {
 public:
  PageCanvas(QPainter& painter, const QString& family, PageDevice device)
      : painter_(painter), family_(family), device_(device) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    if (device_ == PageDevice::CanvasImage) {
      painter_.setPen(QPen(Qt::black, 0));
    } else {
      // One canvas pixel wide, so the rule looks on paper as on the canvas.
      painter_.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
    }
    painter_.setBackgroundMode(Qt::TransparentMode);
  }

  void PrintAt(int x, int y, int size, const QString& text) {
    QFont font(family_);
    font.setPixelSize(nearest(size * kCanvasDpi / kPointsPerInch));
    // Plain black glyph pixels, as the page is printed from this bitmap. Glyphs in a
    // file are outlines and are left to the viewer.
    if (device_ == PageDevice::CanvasImage) {
      font.setStyleStrategy(QFont::NoAntialias);
    } else {
      // Outlines in a file are scaled by the viewer; hinting them here is wasted work.
      font.setHintingPreference(QFont::PreferNoHinting);
    }
    painter_.setFont(font);
    const QPoint at = pageUnitToPixel(x, y);
    // The baseline comes from the canvas's metrics on both devices, so a text in a file
    // starts exactly where it starts on the canvas.
    QFont canvasFont = font;
    canvasFont.setStyleStrategy(QFont::NoAntialias);
    canvasFont.setHintingPreference(QFont::PreferDefaultHinting);
    painter_.drawText(at.x(), at.y() + QFontMetrics(canvasFont).ascent(), text);
  }

  void Line(const PageLine& line) {
    const QPoint a = pageUnitToPixel(line.x1, line.y1);
    const QPoint b = pageUnitToPixel(line.x2, line.y2);
    if (device_ == PageDevice::CanvasImage) {
      painter_.drawLine(a, b);
      return;
    }
    // Through the middle of the pixels the canvas line covers, its last pixel included.
    const QPointF half(0.5, 0.5);
    const QPointF direction = b == a ? QPointF(0.5, 0) : QPointF(b - a) / QLineF(a, b).length() / 2;
    painter_.drawLine(QLineF(QPointF(a) + half - direction, QPointF(b) + half + direction));
  }

  void Copy(const QImage& source, QPoint pixel, const QImage* standIn) {
    if (source.isNull()) return;
    painter_.save();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    // The copy is cut at the canvas edges, on a page of a file too.
    if (device_ == PageDevice::Document)
      painter_.setClipRect(QRect(0, 0, kPagePixelWidth, kPagePixelHeight), Qt::IntersectClip);
    if (standIn != nullptr && !standIn->isNull()) {
      painter_.drawImage(QRect(pixel, source.size()), *standIn);
    } else {
      painter_.drawImage(pixel, source);
    }
    painter_.restore();
  }

 private:
  QPainter& painter_;
  QString family_;
  PageDevice device_;
};

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
// Clang before 17 does not deduce an aggregate's template arguments by itself.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

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

void drawReportPage(QPainter& painter, const PageLayout& layout, const QImage& plotCanvas,
                    const QString& fontFamily, PageDevice device, const QImage* standIn) {
  PageCanvas canvas(painter, fontFamily, device);
  for (const PageItem& item : layout.items) {
    std::visit(Overloaded{
                   [&](const PageText& t) { canvas.PrintAt(t.x, t.y, t.size, t.text); },
                   [&](const PageLine& l) { canvas.Line(l); },
                   [&](const PagePicture& p) { canvas.Copy(plotCanvas, p.pixel, standIn); },
               },
               item);
  }
}

QImage renderReportPage(const PageLayout& layout, const QImage& plotCanvas,
                        const QString& fontFamily) {
  QImage image(kPagePixelWidth, kPagePixelHeight, QImage::Format_RGB32);
  const int dotsPerMetre = nearest(kCanvasDpi / kMetresPerInch);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    drawReportPage(painter, layout, plotCanvas, fontFamily, PageDevice::CanvasImage);
  }  // the painter ends here, before the image is handed out
  return image;
}

QImage ComposeReportPage(const ReportHeader& header, const ReportSources& sources,
                         Language language, const QString& decimalSeparator) {
  return renderReportPage(layoutReportPage(header, sources, language, decimalSeparator),
                          sources.plotCanvas, reportFontFamily(language));
}

}  // namespace tracelink
