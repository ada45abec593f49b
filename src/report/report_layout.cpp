#include "report/report_layout.h"

#include "record/record_strings.h"
#include "report/page_geometry.h"
#include "report/report_strings.h"

namespace tracelink {

namespace {

constexpr int kTitleSize = 16;
constexpr int kTextSize = 12;
constexpr int kRuleLeft = 5;
constexpr int kRuleRight = 185;
constexpr int kFirstRowY = 148;
constexpr int kRowPitch = 6;
constexpr std::array<int, 5> kColumnX{5, 35, 65, 95, 125};

QString level(std::int64_t hundredths, const QString& decimalSeparator) {
  return QString::fromStdString(FormatLevel(hundredths, decimalSeparator.toStdString()));
}

}  // namespace

PageLayout layoutReportPage(const ReportHeader& header, const ReportSources& sources,
                            Language language, const QString& decimalSeparator) {
  const ReportPageStrings& s = reportStrings(language).page;
  // The captions the decoder writes beside the same values on screen.
  const RecordStrings& r = recordStrings(language);
  const auto caption = [](const std::string& utf8) { return QString::fromStdString(utf8); };
  std::array<QString, 5> columns;
  for (std::size_t c = 0; c < columns.size(); ++c) columns[c] = caption(r.eventColumns[c]);
  columns[1] = s.typeColumn;
  PageLayout page;
  auto& items = page.items;
  const auto text = [&](int x, int y, int size, const QString& t) {
    items.push_back(PageText{x, y, size, t});
  };
  const auto rule = [&](int y) { items.push_back(PageLine{kRuleLeft, y, kRuleRight, y}); };

  text(83, 5, kTitleSize, s.title);

  text(5, 13, kTextSize, s.operatorCaption + header.operatorName);
  text(50, 13, kTextSize, s.fiberTypeCaption + header.fiberType);
  text(115, 13, kTextSize, s.deviceNameCaption + header.deviceName);
  text(5, 19, kTextSize, s.cableNoCaption + header.cableNo);
  text(50, 19, kTextSize, s.fiberNoCaption + header.fiberNo);
  text(115, 19, kTextSize, s.timeCaption + header.time);
  text(5, 25, kTextSize, caption(r.iorCaption) + sources.text4_0);
  text(50, 25, kTextSize, caption(r.pulseCaption) + sources.text4_1);
  text(5, 31, kTextSize, caption(r.ampCaption) + sources.text4_3);
  text(115, 31, kTextSize,
       sources.wavelength.isEmpty() ? s.wavelength : s.wavelengthCaption + sources.wavelength);

  rule(37);
  rule(43);
  text(5, 43, kTextSize, s.plotCaption + sources.text4_5);

  items.push_back(PagePicture{kPlotOrigin});

  // The events list is drawn after the plot so it lies on top where they meet.
  text(75, 136, kTextSize, s.eventsTitle);
  rule(135);
  for (std::size_t c = 0; c < kColumnX.size(); ++c) text(kColumnX[c], 142, kTextSize, columns[c]);
  rule(141);
  rule(147);

  // Only the entries the record holds are listed (eight at most), so a count word beyond
  // them never reads past the event arrays. The English report takes each loss from the
  // first level of event 1, as the on-screen table does; the Chinese one gives the drop
  // across the event alone.
  for (const EventRow& row : eventRows(sources.decoded)) {
    const int y = kFirstRowY + kRowPitch * (row.no - 1);
    const std::int64_t loss = language == Language::English
                                  ? row.lossHundredths
                                  : std::int64_t{row.db1} - std::int64_t{row.db2};
    text(kColumnX[0], y, kTextSize, QString::number(row.no));
    text(kColumnX[1], y, kTextSize, QString::fromStdString(row.typeName));
    text(kColumnX[2], y, kTextSize, QString::number(row.distance));
    text(kColumnX[3], y, kTextSize, level(loss, decimalSeparator));
    if (row.hasIl && sources.eventIl)
      text(kColumnX[4], y, kTextSize, level(row.ilHundredths, decimalSeparator));
  }
  return page;
}

}  // namespace tracelink
