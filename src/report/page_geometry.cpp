#include "report/page_geometry.h"

#include <algorithm>

#include "record/units.h"

namespace tracelink {

QPoint pageUnitToPixel(double x, double y) {
  const double px = x * kPageWidthTwips / kPageUnitsX / kTwipsPerPixel;
  const double py = y * kPageHeightTwips / kPageUnitsY / kTwipsPerPixel;
  return {nearest(px), nearest(py)};
}

int firstViewRow(int scrollValue) {
  return kRowsPerScrollStep * std::clamp(scrollValue, 0, kScrollMaximum);
}

}  // namespace tracelink
