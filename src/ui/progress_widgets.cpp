#include "ui/progress_widgets.h"

#include <algorithm>

namespace tracelink {

namespace {

ProgressWidgets::Bar bar(bool visible, std::int32_t maximum, std::int32_t value) {
  const std::int32_t shownMaximum = std::max(1, maximum);
  return {visible, shownMaximum, std::clamp(value, 0, shownMaximum)};
}

}  // namespace

ProgressWidgets progressWidgets(const TransferProgress& p) {
  const bool receiving = p.phase == ProgressPhase::Receiving;
  ProgressWidgets w;
  w.progressBar1 = bar(receiving, p.blocks, p.block);
  w.progressBar2 = bar(p.series, p.stored, p.done);
  // No trace is numbered 0: before the first accepted header the captions are empty.
  const bool numbered = p.trace != 0;
  w.label3 = {p.series, numbered ? std::to_string(p.trace) + "/" + std::to_string(p.traces) : ""};
  w.label5 = {receiving && p.counted, numbered ? std::to_string(p.trace) : ""};
  return w;
}

}  // namespace tracelink
