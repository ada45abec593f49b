#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStringList>

namespace tracelink {

bool loadQtTranslations(Language language, QTranslator& translator) {
  if (language != Language::Chinese) return false;
  // A copy shipped beside the program wins over the system's, so a portable program speaks
  // Chinese on a machine without Qt's translations.
  const QStringList folders{QCoreApplication::applicationDirPath(),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
  for (const QString& folder : folders)
    if (translator.load(QStringLiteral("qtbase_zh_CN"), folder)) return true;
  return false;
}

}  // namespace tracelink
