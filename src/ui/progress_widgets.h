#pragma once

#include <cstdint>
#include <string>

#include "link/block_transfer.h"

namespace tracelink {

// What the main window's progress controls show for a transfer's progress: ProgressBar1
// (blocks of this trace), ProgressBar2 (stored traces done), Label3 ("3/12") and Label5
// (the trace number). Captions are set even while their labels stay hidden.
struct ProgressWidgets {
  struct Bar {
    bool visible = false;
    std::int32_t maximum = 1;  // never below 1: a bar of maximum 0 would show as busy
    std::int32_t value = 0;    // within 0..maximum

    bool operator==(const Bar&) const = default;
  };
  struct Label {
    bool visible = false;
    std::string text;

    bool operator==(const Label&) const = default;
  };
  Bar progressBar1;
  Bar progressBar2;
  Label label3;
  Label label5;

  bool operator==(const ProgressWidgets&) const = default;
};

ProgressWidgets progressWidgets(const TransferProgress& progress);

}  // namespace tracelink
