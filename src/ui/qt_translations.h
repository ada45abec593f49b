#pragma once

#include <QTranslator>

#include "record/language.h"

namespace tracelink {

// Loads Qt's own texts (file dialog, message box and print dialog buttons) in the build's
// language into `translator`, from the system's Qt translations. English needs none; false
// also when the translations are not installed, and Qt's dialogs then stay English.
bool loadQtTranslations(Language language, QTranslator& translator);

}  // namespace tracelink
