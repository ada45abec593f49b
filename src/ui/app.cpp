#include "ui/app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <optional>

#include "record/version.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui/settings.h"
#include "ui/ui_strings.h"

namespace tracelink {

namespace {

struct ProgramOptions {
  QCommandLineOption port{"port", QString(), "DEVICE"};
  QCommandLineOption noSettings{"no-settings"};
};

void describe(QCommandLineParser& parser, ProgramOptions& options, const UiStrings& strings) {
  parser.setApplicationDescription(strings.helpDescription);
  parser.addHelpOption();
  parser.addVersionOption();
  options.port.setDescription(strings.helpPort);
  options.noSettings.setDescription(strings.helpNoSettings);
  parser.addOption(options.port);
  parser.addOption(options.noSettings);
  parser.addPositionalArgument(QStringLiteral("FILE"), strings.helpFiles,
                               QStringLiteral("[FILE...]"));
}

void nameProgram(Language language) {
  QCoreApplication::setApplicationName(language == Language::English ? "tracelink"
                                                                     : "tracelink-zh");
  QCoreApplication::setApplicationVersion(
      QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())));
}

// Help and version are answered before the window system is asked for anything, so they
// work without a display. Returns the exit code when one of them was asked for.
std::optional<int> answerWithoutDisplay(int argc, char** argv, Language language) {
  int count = argc;
  QCoreApplication core(count, argv);
  nameProgram(language);
  QTranslator qtTexts;
  if (loadQtTranslations(language, qtTexts)) QCoreApplication::installTranslator(&qtTexts);
  QCommandLineParser parser;
  ProgramOptions options;
  describe(parser, options, uiStrings(language));
  // Anything else, errors included, is left to the full parse after the window system's
  // own options are taken out.
  if (!parser.parse(QCoreApplication::arguments())) return std::nullopt;
  // --help-all lists the window system's options too, so it waits for the full parse.
  if (parser.isSet(QStringLiteral("help"))) {
    std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (parser.isSet(QStringLiteral("version"))) {
    std::fputs((QCoreApplication::applicationName() + QLatin1Char(' ') +
                QCoreApplication::applicationVersion() + QLatin1Char('\n'))
                   .toLocal8Bit()
                   .constData(),
               stdout);
    return 0;
  }
  return std::nullopt;
}

}  // namespace

int runTracelink(int argc, char** argv, Language language) {
  if (const std::optional<int> answered = answerWithoutDisplay(argc, argv, language))
    return *answered;

  QApplication app(argc, argv);
  nameProgram(language);
  QTranslator qtTexts;
  if (loadQtTranslations(language, qtTexts)) QApplication::installTranslator(&qtTexts);

  QCommandLineParser parser;
  ProgramOptions programOptions;
  describe(parser, programOptions, uiStrings(language));
  parser.process(app);

  MainWindowOptions options;
  options.initialPort = parser.value(programOptions.port);
  if (!parser.isSet(programOptions.noSettings))
    options.settings = std::make_shared<Settings>(Settings::defaultPath());
  MainWindow window(language, std::move(options));
  window.show();
  const QStringList files = parser.positionalArguments();
  if (!files.isEmpty()) window.openFiles(files);
  return app.exec();
}

}  // namespace tracelink
