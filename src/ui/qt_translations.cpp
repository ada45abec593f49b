#include "ui/qt_translations.h"

#include <QLibraryInfo>
#include <QLocale>

namespace tracelink {

bool loadQtTranslations(Language language, QTranslator& translator) {
  if (language != Language::Chinese) return false;
  return translator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace tracelink
