#pragma once

#include <string>

#include "record/language.h"

namespace tracelink::sor {

// The window's texts of the SOR export, per language (UTF-8). "%1" stands for the path or
// for the reason, put in by the caller.
struct SorStrings {
  std::string exportEntry;  // the context menu entry
  std::string dialogTitle;  // the Save As dialog
  std::string filter;       // the dialog's file filter
  std::string saved;        // status line after a save, %1 the path
  std::string failed;       // status line after a refusal, %1 the reason
  std::string noTrace;      // status line when no trace is shown
};

const SorStrings& sorStrings(Language language);

}  // namespace tracelink::sor
