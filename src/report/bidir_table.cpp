#include "report/bidir_table.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "compare/compare_strings.h"
#include "measure/measure_text.h"
#include "record/fill_in.h"
#include "report/compare_report_strings.h"
#include "report/report_page.h"
#include "report/report_text.h"

namespace tracelink {

namespace {

// Canvas pixels at 96 dpi, as the report page: 8.25 points.
constexpr int kTablePixelSize = 11;
constexpr int kColumns = 7;
// Each column's share of the box's width, and whether its figures stand to the right.
constexpr std::array<double, kColumns> kShares = {0.07, 0.16, 0.14, 0.14, 0.15, 0.18, 0.16};
constexpr std::array<bool, kColumns> kRight = {true, true, true, true, true, true, false};
const QString kNone = QStringLiteral("\u2014");

using report_text::figure;
using report_text::utf8;

QString figure(const std::optional<double>& value, int decimals, const QString& separator) {
  return value ? figure(*value, decimals, separator) : kNone;
}

}  // namespace

double drawBidirTable(QPainter& painter, const QRectF& box, const compare::BidirResult& both,
                      Language language, const QString& decimalSeparator) {
  const compare::CompareStrings& s = compare::compareStrings(language);
  const CompareReportStrings& r = compareReportStrings(language);
  painter.save();
  QFont font(reportFontFamily(language));
  font.setPixelSize(kTablePixelSize);
  painter.setFont(font);
  painter.setPen(QPen(Qt::black, 0));
  const QFontMetricsF metrics(font);
  const double row = std::ceil(metrics.height() * 1.2);
  std::array<double, kColumns + 1> edges{};
  edges[0] = box.left();
  for (int c = 0; c < kColumns; ++c) edges[c + 1] = edges[c] + kShares[c] * box.width();
  double y = box.top();
  const auto line = [&](const std::array<QString, kColumns>& cells) {
    for (int c = 0; c < kColumns; ++c) {
      // A little air between a right-aligned figure and the next column.
      const QRectF cell(edges[c] + 2, y, edges[c + 1] - edges[c] - 8, row);
      painter.drawText(cell, Qt::AlignVCenter | (kRight[c] ? Qt::AlignRight : Qt::AlignLeft),
                       metrics.elidedText(cells[c], Qt::ElideRight, cell.width()));
    }
    y += row;
  };
  const auto rule = [&] {
    painter.drawLine(QPointF(box.left(), y + 1), QPointF(box.right(), y + 1));
    y += 3;
  };

  line({utf8(s.number), utf8(s.distance), utf8(s.lossAB), utf8(s.lossBA), utf8(s.average),
        utf8(s.reflectance), QString()});
  rule();
  // The header, the rule, the rule and totals below the rows; then as many rows as fit,
  // less one for the line that counts the others when they do not all fit.
  const double fixed = 2 * row + 6;
  const double room = std::floor((box.height() - fixed) / row);
  const std::size_t events = both.events.size();
  std::size_t shown = 0;
  if (room >= static_cast<double>(events)) {
    shown = events;
  } else if (room >= 2) {
    shown = static_cast<std::size_t>(room) - 1;
  }
  const QString& sep = decimalSeparator;
  for (std::size_t k = 0; k < shown; ++k) {
    const compare::BidirEvent& e = both.events[k];
    line({QString::number(e.no), figure(e.distanceM, 1, sep), figure(e.lossAB, 3, sep),
          figure(e.lossBA, 3, sep), figure(e.averageDb, 3, sep), figure(e.reflectanceDb, 2, sep),
          e.oneDirection ? utf8(s.oneDirection) : QString()});
  }
  if (shown < events) {
    painter.drawText(QRectF(box.left() + 2, y, box.width() - 4, row), Qt::AlignVCenter,
                     fillIn(r.moreEvents, {QString::number(events - shown)}));
    y += row;
  }
  rule();
  const std::string totals =
      fillIn(s.bidirTotals, {formatFixed(both.totalLossAB, 3, sep.toStdString()),
                             formatFixed(both.totalLossBA, 3, sep.toStdString()),
                             formatFixed(both.totalLossDb, 3, sep.toStdString())});
  painter.drawText(QRectF(box.left() + 2, y, box.width() - 4, row), Qt::AlignVCenter,
                   metrics.elidedText(utf8(totals), Qt::ElideRight, box.width() - 4));
  y += row;
  painter.restore();
  return y - box.top();
}

}  // namespace tracelink
