#pragma once

#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <random>

#include "record/trace_record.h"

namespace tracelink::test {

// Text needs a GUI application object; one for the whole test program.
inline void ensureGuiApp() {
  static int argc = 1;
  static char name[] = "render_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QGuiApplication(argc, argv);
}

// A trace that looks like the instrument's: a falling level with noise and a few steps,
// starting at StartPoint.
inline void fillTrace(TraceRecord& record, std::uint32_t seed, int samples, int startPoint = 1) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0, 6);
  double level = 900;
  for (int s = 0; s < samples && startPoint - 1 + s < kRecordWords; ++s) {
    level -= 0.015;
    if (s % 5000 == 4999) level -= 60;
    record[static_cast<std::size_t>(startPoint - 1 + s)] =
        static_cast<std::int32_t>(level + noise(rng));
  }
}

inline int countPixels(const QImage& img, QRgb colour, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) n += img.pixel(x, y) == colour;
  return n;
}

}  // namespace tracelink::test
