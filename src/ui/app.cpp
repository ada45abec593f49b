#include "ui/app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTranslator>

#include "record/version.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"

namespace tracelink {

int runTracelink(int argc, char** argv, Language language) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(language == Language::English ? "tracelink" : "tracelink-zh");
  QApplication::setApplicationVersion(
      QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())));
  QTranslator qtTexts;
  if (loadQtTranslations(language, qtTexts)) QApplication::installTranslator(&qtTexts);

  QCommandLineParser parser;
  parser.setApplicationDescription("OTDR trace uploader, viewer and report printer");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption portOption(
      "port", "Put DEVICE (a port number, device name or path) into the port box at start.",
      "DEVICE");
  parser.addOption(portOption);
  parser.process(app);

  MainWindowOptions options;
  options.initialPort = parser.value(portOption);
  MainWindow window(language, std::move(options));
  window.show();
  return app.exec();
}

}  // namespace tracelink
