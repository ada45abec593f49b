// Every way of opening a trace in the window, the recent files, the save folder's list and
// what the window remembers between runs, in both languages.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "files/record_file.h"
#include "files/record_text.h"
#include "record/fill_in.h"
#include "report/printer_set_window.h"
#include "trace/load_trace.h"
#include "ui/compare_window.h"
#include "ui/main_window.h"
#include "ui/settings.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

constexpr Language kLanguages[] = {Language::English, Language::Chinese};

QStringList listed(MainWindow& w) {
  auto* list = w.findChild<QListWidget*>("List1");
  QStringList names;
  for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
  return names;
}

QString label1(MainWindow& w) {
  return w.findChild<QLabel*>("Label1")->text();
}

QAction* namedAction(QMenu* menu, const char* name) {
  for (QAction* a : menu->actions())
    if (a->objectName() == QLatin1String(name)) return a;
  return nullptr;
}

void drop(QWidget& target, const QList<QUrl>& urls) {
  QMimeData mime;
  mime.setUrls(urls);
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &event);
}

class OpeningTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  std::shared_ptr<ScriptedOpenDialog> openDialog = std::make_shared<ScriptedOpenDialog>();
  QString folder() const { return dir.filePath("save"); }
  QString elsewhere() const { return dir.filePath("elsewhere"); }
  QString settingsPath() const { return dir.filePath("config/tracelink.ini"); }

  std::unique_ptr<MainWindow> open(Language language, std::shared_ptr<Settings> settings = nullptr,
                                   std::function<QString(int)> mapping = noPort) {
    MainWindowOptions options = harness.options(folder(), std::move(mapping));
    options.openDialog = openDialog;
    options.settings = std::move(settings);
    return std::make_unique<MainWindow>(language, std::move(options));
  }

  // A saved trace at path; the range index tells traces apart on the info line.
  QString writeTrace(const QString& path, std::int32_t rangeN = 4) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto record = std::make_unique<TraceRecord>(makeRecord(rangeN, 8, 40 + rangeN));
    const std::string text = BuildRecordText(*record, 3);
    EXPECT_TRUE(WriteRecordFile(path.toStdString(), text).ok()) << path.toStdString();
    return QFileInfo(path).absoluteFilePath();
  }

  void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
};

TEST_F(OpeningTest, TheOpenDialogShowsTheChosenFile) {
  const QString first = writeTrace(QDir(elsewhere()).filePath("first.otdr"), 4);
  const QString second = writeTrace(dir.filePath("other/second.otdr"), 5);
  for (Language language : kLanguages) {
    const UiStrings& s = uiStrings(language);
    *openDialog = ScriptedOpenDialog();
    auto w = open(language);
    const QString startLabel = label1(*w);

    // In the plot's menu and the file list's, with the usual shortcut.
    QAction* action = namedAction(w->plotMenu(), "OpenTrace");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(namedAction(w->fileListMenu(), "OpenTrace"), action);
    EXPECT_EQ(action->text(), s.openTrace);
    EXPECT_EQ(action->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_TRUE(w->plotMenu()->actions().contains(w->recentMenu()->menuAction()));
    EXPECT_TRUE(w->fileListMenu()->actions().contains(w->recentMenu()->menuAction()));

    // Cancelled: nothing changes.
    action->trigger();
    EXPECT_EQ(openDialog->asked, 1);
    EXPECT_EQ(openDialog->lastTitle, s.openDialogTitle);
    EXPECT_EQ(openDialog->lastFolder, folder());  // nothing opened yet: the save folder
    EXPECT_EQ(openDialog->lastFilters, s.openFilters);
    EXPECT_EQ(label1(*w), startLabel);

    openDialog->answer = first;
    w->Open_Click();
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("first.otdr")}));
    const QString firstLabel = label1(*w);
    EXPECT_NE(firstLabel, startLabel);

    // The next dialog starts where the last file came from.
    openDialog->answer = second;
    w->Open_Click();
    EXPECT_EQ(openDialog->lastFolder, elsewhere());
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("second.otdr")}));
    EXPECT_NE(label1(*w), firstLabel);
    EXPECT_EQ(w->recentFiles(), (QStringList{second, first}));

    // A file that cannot be read keeps the trace on screen and says which file it was.
    const QString shown = label1(*w);
    openDialog->answer = dir.filePath("missing.otdr");
    w->Open_Click();
    EXPECT_TRUE(w->statusText().contains("missing.otdr")) << w->statusText().toStdString();
    EXPECT_EQ(label1(*w), shown);
  }
}

TEST_F(OpeningTest, CtrlOAsksForAFile) {
  auto w = open(Language::English);
  w->show();
  QApplication::setActiveWindow(w.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  // From the file list as from anywhere in the window.
  for (const char* name : {"List1", "Combo1", "Picture2"}) {
    const int before = openDialog->asked;
    QTest::keyClick(w->findChild<QWidget*>(name), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(openDialog->asked, before + 1) << name;
  }
}

TEST_F(OpeningTest, TheFilterPatternsAreTheTracesExtensions) {
  // The first filter, chosen at start, takes both kinds; "All files" comes last.
  for (Language language : kLanguages) {
    const QStringList& filters = uiStrings(language).openFilters;
    ASSERT_EQ(filters.size(), 4);
    EXPECT_TRUE(filters[0].endsWith("(*.otdr *.sor)")) << filters[0].toStdString();
    EXPECT_EQ(filters[1], "OTDR (*.otdr)");
    EXPECT_EQ(filters[2], "SOR (*.sor)");
    EXPECT_TRUE(filters[3].endsWith("(*)")) << filters[3].toStdString();
  }
}

// The real dialog: its first filter shows both kinds of trace in any letter case, and
// nothing else; "All files" shows everything.
TEST_F(OpeningTest, TheRealDialogMatchesNamesWithoutCase) {
  const QStringList traces{"A.SOR", "D.Otdr", "b.otdr", "e.Sor"};  // as QStringList sorts
  for (const QString& name : traces + QStringList{"c.txt", "f.sorx"})
    writeBytes(QDir(elsewhere()).filePath(name), "x");
  QStringList shown;
  QStringList shownAll;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    poll.stop();
    auto* model = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    const auto passing = [&] {
      QStringList names;
      const QModelIndex root = model->index(elsewhere());
      for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex i = model->index(row, 0, root);
        if (model->flags(i) & Qt::ItemIsEnabled) names << model->fileName(i);
      }
      names.sort();
      return names;
    };
    (void)QTest::qWaitFor([&] { return passing().size() == traces.size(); }, 10000);
    shown = passing();
    dialog->selectNameFilter(dialog->nameFilters().last());
    (void)QTest::qWaitFor([&] { return passing().size() == 6; }, 10000);
    shownAll = passing();
    dialog->reject();
  });
  poll.start();
  QtOpenDialog real;
  const QString chosen = real.askOpenPath(nullptr, "Open trace", elsewhere(),
                                          uiStrings(Language::English).openFilters);
  EXPECT_TRUE(chosen.isEmpty());
  EXPECT_EQ(shown, traces);
  EXPECT_EQ(shownAll.size(), 6) << shownAll.join(' ').toStdString();
}

TEST_F(OpeningTest, DroppedFilesAreComparedOrShown) {
  const QString a = writeTrace(QDir(elsewhere()).filePath("a.otdr"), 4);
  const QString b = writeTrace(QDir(elsewhere()).filePath("b.otdr"), 5);
  const QString c = writeTrace(QDir(elsewhere()).filePath("c.otdr"), 7);
  for (Language language : kLanguages) {
    const UiStrings& s = uiStrings(language);
    auto w = open(language);
    // Several files are compared (tests/ui/compare_window_test.cpp); one is shown.
    drop(*w, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
    ASSERT_NE(w->compareWindow(), nullptr);
    EXPECT_EQ(w->compareWindow()->traces().size(), 3u);
    drop(*w, {QUrl::fromLocalFile(c)});
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("c.otdr")}));
    EXPECT_EQ(w->recentFiles(), (QStringList{c}));
    const QString shown = label1(*w);

    // A folder alone is refused by name; the trace on screen stays.
    drop(*w, {QUrl::fromLocalFile(elsewhere())});
    EXPECT_EQ(w->statusText(), fillIn(s.droppedFolder, {QDir::toNativeSeparators(elsewhere())}));
    EXPECT_EQ(label1(*w), shown);

    // So is anything that is not a file here.
    drop(*w, {QUrl("https://example.invalid/trace.sor")});
    EXPECT_EQ(w->statusText(), fillIn(s.droppedNotFile, {"https://example.invalid/trace.sor"}));
    EXPECT_EQ(label1(*w), shown);

    // A folder among files: the files are still taken.
    drop(*w, {QUrl::fromLocalFile(elsewhere()), QUrl::fromLocalFile(a)});
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("a.otdr")}));
    EXPECT_EQ(w->recentFiles(), (QStringList{a, c}));
  }
}

TEST_F(OpeningTest, DropsReachTheWindowOverItsTextBoxes) {
  // The boxes would otherwise take a dropped file's name as text.
  auto w = open(Language::English);
  for (const char* name : {"Text1", "Text4_0", "Text4_5"})
    EXPECT_FALSE(w->findChild<QWidget*>(name)->acceptDrops()) << name;
  EXPECT_FALSE(w->findChild<QComboBox*>("Combo1")->lineEdit()->acceptDrops());
  EXPECT_TRUE(w->acceptDrops());
}

TEST_F(OpeningTest, FilesNamedOnTheCommandLine) {
  const QString a = writeTrace(QDir(elsewhere()).filePath("a.otdr"), 4);
  const QString b = writeTrace(QDir(elsewhere()).filePath("b.otdr"), 5);
  for (Language language : kLanguages) {
    const UiStrings& s = uiStrings(language);
    auto w = open(language);
    const QString gone = dir.filePath("gone.otdr");
    w->openFiles({a, gone, b});
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("b.otdr")}));
    EXPECT_EQ(w->recentFiles(), (QStringList{b, a}));

    // Nothing to show: the folder is refused, and the last file given says why it cannot
    // be shown, naming it.
    auto again = open(language);
    const QString before = label1(*again);
    again->openFiles({elsewhere()});
    EXPECT_EQ(again->statusText(),
              fillIn(s.droppedFolder, {QDir::toNativeSeparators(elsewhere())}));
    again->openFiles({elsewhere(), gone});
    EXPECT_TRUE(again->statusText().contains("gone.otdr")) << again->statusText().toStdString();
    EXPECT_EQ(label1(*again), before);
    EXPECT_TRUE(again->recentFiles().isEmpty());
  }
}

TEST_F(OpeningTest, TheRecentFiles) {
  QStringList files;
  for (int i = 0; i < 12; ++i)
    files << writeTrace(QDir(elsewhere()).filePath(QStringLiteral("t%1.otdr").arg(i)), 2 + i % 6);
  const QString inFolder = writeTrace(QDir(folder()).filePath("kept.otdr"));
  for (Language language : kLanguages) {
    const UiStrings& s = uiStrings(language);
    auto w = open(language);
    QMenu* menu = w->recentMenu();
    EXPECT_EQ(menu->title(), s.recentFiles);
    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), s.recentNone);
    EXPECT_FALSE(menu->actions()[0]->isEnabled());

    for (const QString& f : files) w->openFiles({f});
    // Ten, newest first.
    QStringList newest;
    for (int i = 11; i >= 2; --i) newest << files[i];
    EXPECT_EQ(w->recentFiles(), newest);
    // Opening one again moves it up rather than listing it twice.
    w->openFiles({files[5]});
    newest.removeAll(files[5]);
    newest.prepend(files[5]);
    EXPECT_EQ(w->recentFiles(), newest);
    // The save folder's traces are in the list beside the plot, not here.
    auto* list = w->findChild<QListWidget*>("List1");
    list->setCurrentRow(0);
    w->List1_Click();
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QStringLiteral("kept.otdr")}));
    EXPECT_EQ(w->recentFiles(), newest);

    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 10);
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(menu->actions()[i]->text(), QDir::toNativeSeparators(newest[i]));
    menu->actions()[3]->trigger();
    EXPECT_EQ(w->statusText(), fillIn(s.loaded, {QFileInfo(newest[3]).fileName()}));
    EXPECT_EQ(w->recentFiles().first(), newest[3]);

    // A file that went away is taken off the list when chosen, and the trace stays.
    const QString victim = w->recentFiles()[2];
    ASSERT_TRUE(QFile::rename(victim, victim + ".moved"));
    const QString shown = label1(*w);
    emit menu->aboutToShow();
    menu->actions()[2]->trigger();
    EXPECT_EQ(w->statusText(), fillIn(s.recentGone, {QDir::toNativeSeparators(victim)}));
    EXPECT_FALSE(w->recentFiles().contains(victim));
    EXPECT_EQ(w->recentFiles().size(), 9);
    EXPECT_EQ(label1(*w), shown);
    ASSERT_TRUE(QFile::rename(victim + ".moved", victim));
  }
}

TEST_F(OpeningTest, TheListShowsSorFilesBesideOursInNameOrder) {
  for (const char* name : {"b.otdr", "A.otdr", "c.OTDR"}) writeTrace(QDir(folder()).filePath(name));
  writeBytes(QDir(folder()).filePath("notes.txt"), "x");
  for (Language language : kLanguages) {
    auto w = open(language);
    // Without SOR files the list holds what it always held.
    EXPECT_EQ(listed(*w), (QStringList{"A.otdr", "b.otdr", "c.OTDR"}));
  }
  writeBytes(QDir(folder()).filePath("b.sor"), "Map");
  writeBytes(QDir(folder()).filePath("a0.SOR"), "Map");
  for (Language language : kLanguages) {
    auto w = open(language);
    EXPECT_EQ(listed(*w), (QStringList{"A.otdr", "a0.SOR", "b.otdr", "b.sor", "c.OTDR"}));
  }
}

// Waits for the folder's watcher to tell the window; the wait ends as soon as it has.
bool waitForList(MainWindow& w, const QStringList& expected) {
  for (int i = 0; i < 500 && listed(w) != expected; ++i) QTest::qWait(10);
  return listed(w) == expected;
}

TEST_F(OpeningTest, TheListNoticesFilesThatArrive) {
  writeTrace(QDir(folder()).filePath("a.otdr"), 4);
  writeTrace(QDir(folder()).filePath("b.otdr"), 5);
  for (Language language : kLanguages) {
    const UiStrings& s = uiStrings(language);
    auto w = open(language);
    auto* list = w->findChild<QListWidget*>("List1");
    list->setCurrentRow(1);
    w->List1_Click();
    const QString shown = label1(*w);
    const QString status = w->statusText();
    EXPECT_EQ(status, fillIn(s.loaded, {QStringLiteral("b.otdr")}));

    const QString arrived = writeTrace(QDir(folder()).filePath("0.otdr"), 7);
    writeBytes(QDir(folder()).filePath("c.sor"), "Map");
    ASSERT_TRUE(waitForList(*w, {"0.otdr", "a.otdr", "b.otdr", "c.sor"}));
    // The selection and the trace on screen stay; nothing was loaded.
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(), "b.otdr");
    EXPECT_TRUE(list->currentItem()->isSelected());
    EXPECT_EQ(label1(*w), shown);
    EXPECT_EQ(w->statusText(), status);

    ASSERT_TRUE(QFile::remove(arrived));
    ASSERT_TRUE(QFile::remove(QDir(folder()).filePath("c.sor")));
    ASSERT_TRUE(waitForList(*w, {"a.otdr", "b.otdr"}));
    EXPECT_EQ(list->currentItem()->text(), "b.otdr");
  }
}

TEST_F(OpeningTest, SettingsAreRememberedBetweenRuns) {
  FakePort port;
  const QString traceFile = writeTrace(QDir(elsewhere()).filePath("x.otdr"), 5);
  for (Language language : kLanguages) {
    QFile::remove(settingsPath());
    {
      auto settings = std::make_shared<Settings>(settingsPath());
      EXPECT_EQ(settings->problem(), Settings::Problem::None);
      auto w = open(language, settings);
      EXPECT_TRUE(w->statusText().isEmpty()) << w->statusText().toStdString();
      openDialog->answer = traceFile;
      w->Open_Click();
      // The port typed, once a connection was made with it.
      auto* combo = w->findChild<QComboBox*>("Combo1");
      combo->setEditText(port.device());
      w->Command1_Click();
      w->Command1_Click();
      // The print settings window's texts, as typed.
      PrinterSetWindow* printerset = w->report()->printerset();
      auto* cable = printerset->findChild<QLineEdit*>("Text2");
      auto* fiberOperator = printerset->findChild<QLineEdit*>("Text5");
      cable->clear();
      QTest::keyClicks(cable, "C-77");
      fiberOperator->clear();
      QTest::keyClicks(fiberOperator, "Li Wei");
      w->close();
    }
    auto settings = std::make_shared<Settings>(settingsPath());
    EXPECT_EQ(settings->problem(), Settings::Problem::None);
    auto w = open(language, settings);
    EXPECT_EQ(w->recentFiles(), QStringList{traceFile});
    EXPECT_EQ(w->findChild<QComboBox*>("Combo1")->currentText(), port.device());
    // Before the window is loaded (the SOR export reads them then) and in it.
    EXPECT_EQ(w->report()->header().cableNo, "C-77");
    EXPECT_EQ(w->report()->header().operatorName, "Li Wei");
    PrinterSetWindow* printerset = w->report()->printerset();
    EXPECT_EQ(printerset->findChild<QLineEdit*>("Text2")->text(), "C-77");
    EXPECT_EQ(printerset->findChild<QLineEdit*>("Text5")->text(), "Li Wei");
    // The time is the moment the window loads, never a remembered one.
    EXPECT_FALSE(printerset->findChild<QLineEdit*>("Text6")->text().isEmpty());
    openDialog->answer.clear();
    w->Open_Click();
    EXPECT_EQ(openDialog->lastFolder, elsewhere());
    // A port given at start wins over the remembered one.
    MainWindowOptions options = harness.options(folder(), noPort);
    options.settings = settings;
    options.initialPort = "7";
    MainWindow given(language, std::move(options));
    EXPECT_EQ(given.findChild<QComboBox*>("Combo1")->currentText(), "7");
  }
}

TEST_F(OpeningTest, ADamagedSettingsFileIsIgnoredWithOneNote) {
  QByteArray tooLarge(2 << 20, 'a');
  const struct {
    const char* what;
    QByteArray bytes;
    const char* english;
    const char* chinese;
  } cases[] = {
      {"binary", QByteArray("\x00\x01\x02[open]\n", 10), "is not text", "不是文本文件"},
      {"not UTF-8", "[port]\nlast=\xff\xfe\n", "is not text", "不是文本文件"},
      {"cut short", "[open]\nrecent=/a/b.otdr\n[port]\nla", "is damaged at line 4",
       "第 4 行已损坏"},
      {"overwritten", "[open]\nrecent=/a.otdr\n%PDF-1.4 garbage\n", "is damaged at line 3",
       "第 3 行已损坏"},
      {"too large", tooLarge, "is too large to be a settings file", "太大，不是设置文件"},
  };
  for (const auto& c : cases) {
    for (Language language : kLanguages) {
      SCOPED_TRACE(c.what);
      writeBytes(settingsPath(), c.bytes);
      auto settings = std::make_shared<Settings>(settingsPath());
      auto w = open(language, settings);
      const UiStrings& s = uiStrings(language);
      const QString why = QString::fromUtf8(language == Language::English ? c.english : c.chinese);
      EXPECT_EQ(w->statusText(),
                fillIn(s.settingsNotRead, {QDir::toNativeSeparators(settingsPath()), why}));
      EXPECT_TRUE(w->recentFiles().isEmpty());
      EXPECT_EQ(w->findChild<QComboBox*>("Combo1")->currentText(), "");
      // The first setting written replaces the damaged file with a sound one.
      const QString traceFile = writeTrace(QDir(elsewhere()).filePath("y.otdr"));
      w->openFiles({traceFile});
      w->close();
      w.reset();
      settings.reset();
      Settings again(settingsPath());
      EXPECT_EQ(again.problem(), Settings::Problem::None);
      EXPECT_EQ(again.recentFiles(), QStringList{traceFile});
    }
  }
}

TEST_F(OpeningTest, SettingsThatAreNoFileAreLeftAlone) {
  // A folder where the file should be, and a pipe, which would block a reader for ever.
  const QString pipe = dir.filePath("config/pipe.ini");
  ASSERT_TRUE(QDir().mkpath(settingsPath()));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  for (const QString& path : {settingsPath(), pipe}) {
    for (Language language : kLanguages) {
      auto settings = std::make_shared<Settings>(path);
      EXPECT_EQ(settings->problem(), Settings::Problem::NotAFile);
      auto w = open(language, settings);
      const UiStrings& s = uiStrings(language);
      EXPECT_EQ(w->statusText(),
                fillIn(s.settingsNotRead, {QDir::toNativeSeparators(path), s.settingsNotAFile}));
      w->openFiles({writeTrace(QDir(elsewhere()).filePath("z.otdr"))});
      w->close();
      EXPECT_FALSE(settings->sync());
    }
  }
  EXPECT_TRUE(QFileInfo(settingsPath()).isDir());
  EXPECT_FALSE(QFileInfo(pipe).isFile());
  EXPECT_TRUE(QFileInfo::exists(pipe));
}

TEST_F(OpeningTest, TheNoteStandsBesideTheSaveFolderAnnouncement) {
  writeBytes(settingsPath(), "garbage");
  MainWindowOptions options = harness.options(QString(), noPort);
  SaveFolderChoice choice;
  choice.folder = folder();
  choice.place = SaveFolderChoice::Place::UserData;
  options.saveFolder.clear();
  options.chooseSaveFolder = [choice] { return choice; };
  options.settings = std::make_shared<Settings>(settingsPath());
  MainWindow w(Language::English, std::move(options));
  const UiStrings& s = uiStrings(Language::English);
  EXPECT_EQ(w.statusText(),
            fillIn(s.tracesKeptIn, {QDir::toNativeSeparators(folder())}) + s.refusedSeparator +
                fillIn(s.settingsNotRead,
                       {QDir::toNativeSeparators(settingsPath()), "is damaged at line 1"}));
}

// The program given a file remembers it in the user's configuration folder, unless told
// --no-settings. The run that remembers comes first: how long it takes to write its file
// is how long the other run is given to show that it writes none.
TEST(ProgramSettingsTest, NoSettingsWritesNothing) {
  const QString binaries = qEnvironmentVariable("TRACELINK_BINARY_DIR");
  ASSERT_FALSE(binaries.isEmpty());
  const QString sample = QStringLiteral(TRACELINK_OTDR_SAMPLES "/sample_02_range4.otdr");
  ASSERT_TRUE(QFileInfo::exists(sample));
  const auto run = [&](const QStringList& options, const QString& config, qint64 maxMs) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("ASAN_OPTIONS", "detect_leaks=0");  // it is killed, not ended
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QDir(binaries).filePath("src/ui/tracelink"), options + QStringList{sample});
    EXPECT_TRUE(p.waitForStarted(30000));
    QElapsedTimer timer;
    timer.start();
    const QString ini = QDir(config).filePath("tracelink/tracelink.ini");
    while (!QFileInfo::exists(ini) && timer.elapsed() < maxMs && p.state() == QProcess::Running)
      QTest::qWait(50);
    const qint64 took = timer.elapsed();
    p.kill();
    p.waitForFinished(30000);
    return took;
  };
  QTemporaryDir remembering;
  QTemporaryDir clean;
  const qint64 took = run({}, remembering.path(), 60000);
  QSettings written(QDir(remembering.path()).filePath("tracelink/tracelink.ini"),
                    QSettings::IniFormat);
  ASSERT_EQ(written.value("open/recent").toString(), sample);
  run({"--no-settings"}, clean.path(), 2 * took + 2000);
  EXPECT_TRUE(QDir(clean.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// The programs answer --help in their language with no display at all.
TEST(ProgramHelpTest, HelpWithoutADisplay) {
  const QString dir = qEnvironmentVariable("TRACELINK_BINARY_DIR");
  ASSERT_FALSE(dir.isEmpty());
  const struct {
    const char* program;
    Language language;
  } cases[] = {{"tracelink", Language::English}, {"tracelink-zh", Language::Chinese}};
  for (const auto& c : cases) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    env.insert("LANG", "C.UTF-8");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QDir(dir).filePath(QStringLiteral("src/ui/") + c.program), {"--help"});
    ASSERT_TRUE(p.waitForFinished(30000)) << c.program;
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << c.program;
    EXPECT_EQ(p.exitCode(), 0) << c.program;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const UiStrings& s = uiStrings(c.language);
    for (const QString& expected : {s.helpDescription, QStringLiteral("--port <DEVICE>"),
                                    QStringLiteral("--no-settings"), QStringLiteral("[FILE...]")})
      EXPECT_TRUE(out.contains(expected)) << c.program << ": " << out.toStdString();
    // Long texts are wrapped by the parser; their first words stand on one line.
    EXPECT_TRUE(out.contains(s.helpNoSettings.left(12))) << out.toStdString();
  }
}

// Every shared SOR sample opens by the dialog and by the program's file arguments (the
// window's openFiles), shows the trace with its key events, and joins the recent files.
TEST_F(OpeningTest, EverySharedSorSampleOpensByTheDialogAndByArguments) {
  const QStringList samples =
      QDir(QStringLiteral(TRACELINK_SOR_SAMPLES)).entryList({"*.sor"}, QDir::Files, QDir::Name);
  ASSERT_EQ(samples.size(), 17);
  for (Language language : kLanguages) {
    auto byDialog = open(language);
    auto byArguments = open(language);
    for (const QString& name : samples) {
      SCOPED_TRACE(name.toStdString());
      const QString path = QDir(QStringLiteral(TRACELINK_SOR_SAMPLES)).filePath(name);
      const Result<Trace> trace = LoadTrace(path.toStdString());
      ASSERT_TRUE(trace);
      openDialog->answer = path;
      byDialog->Open_Click();
      byArguments->openFiles({path});
      for (MainWindow* w : {byDialog.get(), byArguments.get()}) {
        EXPECT_EQ(w->statusText(), fillIn(uiStrings(language).loaded, {name}));
        ASSERT_NE(w->session().foreign(), nullptr);
        EXPECT_EQ(w->session().trace().events.size(), trace->events.size());
        EXPECT_EQ(w->recentFiles().value(0), path);
      }
    }
  }
}

// A new window (here the Measurements window) comes back where and as large as it was left,
// in the next run; without settings it is placed as Qt places it.
TEST_F(OpeningTest, ANewWindowsPlaceIsRememberedBetweenRuns) {
  QRect left;
  {
    auto settings = std::make_shared<Settings>(settingsPath());
    auto w = open(Language::English, settings);
    QWidget* m = w->showMeasurementsWindow();
    m->setGeometry(QRect(40, 50, 420, 260));
    left = m->geometry();
    m->close();
    ASSERT_TRUE(settings->sync());
  }
  auto settings = std::make_shared<Settings>(settingsPath());
  auto w = open(Language::Chinese, settings);
  EXPECT_EQ(w->showMeasurementsWindow()->geometry().size(), left.size());
  EXPECT_EQ(w->showMeasurementsWindow()->geometry().topLeft(), left.topLeft());
}

}  // namespace
}  // namespace tracelink::test
