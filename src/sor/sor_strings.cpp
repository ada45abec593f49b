#include "sor/sor_strings.h"

namespace tracelink::sor {

// Initialised by field name: moving a field can never swap two texts.
const SorStrings& sorStrings(Language language) {
  static const SorStrings english{
      .exportEntry = "Export SOR…",
      .dialogTitle = "Export SOR",
      .filter = "SOR (*.sor)",
      .saved = "SOR saved: %1",
      .failed = "SOR export failed: %1",
      .noTrace = "No trace to export",
  };
  static const SorStrings chinese{
      .exportEntry = "导出SOR…",
      .dialogTitle = "导出SOR",
      .filter = "SOR (*.sor)",
      .saved = "SOR已保存：%1",
      .failed = "SOR导出失败：%1",
      .noTrace = "没有可导出的曲线",
  };
  return language == Language::Chinese ? chinese : english;
}

}  // namespace tracelink::sor
