#pragma once

#include <QColor>
#include <QImage>

#include "record/decode.h"
#include "report/report_layout.h"

namespace tracelink::test {

// Decoded values with `count` events: types alternate 1, 2, distances 100 m apart, and
// levels that fall by 0.50 dB and 0.20 dB in turn.
inline DecodedValues eventsOf(int count, Language language = Language::English) {
  DecodedValues v;
  const bool english = language == Language::English;
  v.EventTypeName[1] = english ? "REF" : "反射";
  v.EventTypeName[2] = english ? "ATT" : "损耗";
  v.EventCount = count;
  std::int32_t level = 1000;
  for (std::size_t i = 1; i <= 8; ++i) {
    v.EventType[i] = i % 2 == 1 ? 1 : 2;
    v.EventDistance[i] = static_cast<std::int32_t>(100 * i);
    v.EventLevel[2 * i - 1] = level;
    v.EventLevel[2 * i] = level - 50;
    level -= 70;
  }
  return v;
}

// A plot canvas whose rows all differ, so a copy can be traced back to its source rows.
inline QImage stripedCanvas(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const QRgb colour = qRgb(40 + y % 200, (y * 7) % 256, 200 - y % 150);
    for (int x = 0; x < width; ++x) image.setPixel(x, y, colour);
  }
  return image;
}

inline ReportHeader defaultHeader() {
  return {"VT520X", "00088", "000999", "Single Mode", "TE Marlow", "2026-12-08 10:00:00"};
}

inline ReportSources sourcesWith(DecodedValues decoded, QImage plot = {}) {
  ReportSources s;
  s.text4_0 = "1.4677";
  s.text4_1 = "100ns";
  s.text4_3 = "5";
  s.text4_5 = "1000m/div     2dB/div";
  s.plotCanvas = std::move(plot);
  s.decoded = std::move(decoded);
  return s;
}

// The smallest rectangle holding every dark pixel of `area`, or a null rect.
inline QRect inkBounds(const QImage& image, const QRect& area) {
  QRect bounds;
  const QRect clipped = area.intersected(image.rect());
  for (int y = clipped.top(); y <= clipped.bottom(); ++y)
    for (int x = clipped.left(); x <= clipped.right(); ++x)
      if (qGray(image.pixel(x, y)) < 128) bounds = bounds.united(QRect(x, y, 1, 1));
  return bounds;
}

}  // namespace tracelink::test
