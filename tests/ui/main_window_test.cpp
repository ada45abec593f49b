#include <gtest/gtest.h>

#include <cerrno>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "files/record_file.h"
#include "files/record_text.h"
#include "record/version.h"
#include "ui/main_window.h"
#include "ui/platform.h"
#include "ui/qt_translations.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

template <typename T>
T* child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(name);
  EXPECT_NE(c, nullptr) << name;
  return c;
}

class MainWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  QString folder() const { return dir.filePath("save"); }

  std::unique_ptr<MainWindow> open(Language language,
                                   std::function<QString(int)> mapping = noPort) {
    return std::make_unique<MainWindow>(language, harness.options(folder(), std::move(mapping)));
  }

  // Writes a record as a saved trace file with n sample blocks.
  void writeTrace(const QString& name, TraceRecord record, std::int32_t n) {
    QDir().mkpath(folder());
    const std::string text = BuildRecordText(record, n);
    ASSERT_TRUE(WriteRecordFile(QDir(folder()).filePath(name).toStdString(), text).ok());
  }

  void writeRaw(const QString& name, const QByteArray& bytes) {
    QDir().mkpath(folder());
    QFile f(QDir(folder()).filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  void click(MainWindow& w, const QString& entry) {
    auto* list = child<QListWidget>(w, "List1");
    const auto items = list->findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << entry.toStdString();
    list->setCurrentItem(items.front());
    w.List1_Click();
  }
};

struct StartCase {
  Language language;
  const char* command1;
  const char* command12;
  const char* command2;
  const char* command4;
  const char* command5;
  const char* command3;
  const char* label2;
  const char* label1;
  const char* header;
};

TEST_F(MainWindowTest, StartsInTheBuildsLanguage) {
  const StartCase cases[] = {
      {Language::English, "CONNECT", "Upload Cur", "Save Cur", "Upload All", "Print", "Back Colour",
       "File", "IOR:", "No.\tType\tDis(m)\tLoss(dB)\tIL(dB)\r\n"},
      {Language::Chinese, "连接仪表", "上传当前数据", "保存当前数据", "上传存储器数据", "打印",
       "背景颜色", "文件", "", "序号\t类型\t距离(m)\t损耗(dB)\t插损(dB)\r\n"},
  };
  for (const StartCase& c : cases) {
    auto w = open(c.language);
    SCOPED_TRACE(c.command1);
    EXPECT_EQ(w->windowTitle(), "vt520X v1.1");
    EXPECT_EQ(child<QPushButton>(*w, "Command1")->text(), QString::fromUtf8(c.command1));
    EXPECT_EQ(child<QPushButton>(*w, "Command12")->text(), QString::fromUtf8(c.command12));
    EXPECT_EQ(child<QPushButton>(*w, "Command2")->text(), QString::fromUtf8(c.command2));
    EXPECT_EQ(child<QPushButton>(*w, "Command4")->text(), QString::fromUtf8(c.command4));
    EXPECT_EQ(child<QPushButton>(*w, "Command5")->text(), QString::fromUtf8(c.command5));
    EXPECT_EQ(child<QPushButton>(*w, "Command3")->text(), QString::fromUtf8(c.command3));
    EXPECT_EQ(child<QLabel>(*w, "Label2")->text(), QString::fromUtf8(c.label2));
    EXPECT_EQ(child<QLabel>(*w, "Label1")->text(), QString::fromUtf8(c.label1));
    EXPECT_EQ(w->eventText(), QString::fromUtf8(c.header));
    EXPECT_EQ(child<QPlainTextEdit>(*w, "Text1")->toPlainText(),
              QString::fromUtf8(c.header).replace("\r\n", "\n"));
    for (const char* hidden : {"ProgressBar1", "ProgressBar2", "Label3", "Label5"})
      EXPECT_TRUE(child<QWidget>(*w, hidden)->isHidden()) << hidden;
    EXPECT_EQ(child<QComboBox>(*w, "Combo1")->currentText(), "");
    EXPECT_EQ(child<QLineEdit>(*w, "Text4_5")->text(), "1021m/div     2dB/div");
    EXPECT_FALSE(w->dataPresent());
    EXPECT_EQ(w->view().ViewStart, 0);
    EXPECT_EQ(w->view().ViewEnd, 10000);
  }
}

TEST(MessageBoxesTest, APlainBoxWithOnlyOk) {
  QWidget parent;
  parent.setWindowTitle("vt520X v1.1");
  QMessageBox::Icon icon = QMessageBox::Information;
  QString title, text;
  QList<QAbstractButton*> buttons;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    icon = box->icon();
    title = box->windowTitle();
    text = box->text();
    buttons = box->buttons();
    box->accept();
  });
  QtMessageBoxes().information(&parent, "No datas!");
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(title, "vt520X v1.1");
  EXPECT_EQ(text, "No datas!");
  EXPECT_EQ(buttons.size(), 1);
}

TEST_F(MainWindowTest, ControlsStandAtTheirPlaces) {
  auto w = open(Language::English);
  const struct {
    const char* name;
    QRect rect;
  } places[] = {
      {"Picture2", {8, 8, 723, 369}},        {"List1", {8, 400, 137, 173}},
      {"Text1", {152, 400, 401, 113}},       {"Combo1", {576, 392, 57, 21}},
      {"Command1", {640, 384, 97, 33}},      {"Command12", {640, 424, 97, 33}},
      {"Command2", {640, 464, 97, 33}},      {"Command4", {640, 504, 97, 33}},
      {"Command3", {552, 544, 73, 33}},      {"Command5", {640, 544, 97, 33}},
      {"ProgressBar1", {192, 544, 345, 25}}, {"ProgressBar2", {192, 520, 345, 25}},
      {"Picture1", {0, 0, 745, 577}},        {"Label2", {8, 384, 129, 25}},
      {"Label1", {152, 384, 569, 25}},       {"Label3", {152, 528, 33, 17}},
      {"Label5", {152, 544, 33, 25}},        {"Text4_0", {0, 552, 33, 25}},
      {"Text4_3", {99, 552, 33, 25}},        {"Text4_5", {165, 552, 33, 25}},
  };
  for (const auto& p : places) EXPECT_EQ(child<QWidget>(*w, p.name)->geometry(), p.rect) << p.name;
  EXPECT_EQ(child<QWidget>(*w, "Client")->size(), QSize(745, 577));
  EXPECT_GT(w->height(), 577);  // the status line sits below the client area

  // The controls lie on top of each other in the form's order: the background lowest,
  // the progress bars over the labels they share a place with.
  QStringList order;
  for (const QObject* c : child<QWidget>(*w, "Client")->children())
    if (c->isWidgetType()) order << c->objectName();
  EXPECT_EQ(order, (QStringList{"Picture1", "Picture2",     "Label2",      "Label1",   "Label3",
                                "Label5",   "List1",        "Text1",       "Text4_0",  "Text4_1",
                                "Text4_2",  "Text4_3",      "Text4_4",     "Text4_5",  "Combo1",
                                "Command1", "Command12",    "Command2",    "Command4", "Command3",
                                "Command5", "ProgressBar2", "ProgressBar1"}));
}

// The programs say the version the build was configured with.
TEST(ProgramVersionTest, BothProgramsGiveTheBuildsVersion) {
  const QString dir = qEnvironmentVariable("TRACELINK_BINARY_DIR");
  ASSERT_FALSE(dir.isEmpty());
  for (const char* program : {"tracelink", "tracelink-zh"}) {
    QProcess p;
    p.start(QDir(dir).filePath(QStringLiteral("src/ui/") + program), {"--version"});
    ASSERT_TRUE(p.waitForFinished(30000)) << program;
    EXPECT_EQ(p.exitCode(), 0) << program;
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
              QString::fromLatin1(program) + " " +
                  QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())))
        << program;
  }
}

TEST_F(MainWindowTest, ClickingASavedTraceShowsIt) {
  writeTrace("a.otdr", makeRecord(4, 8, 50), 3);
  auto w = open(Language::English);
  click(*w, "a.otdr");
  EXPECT_EQ(
      child<QLabel>(*w, "Label1")->text(),
      QString::fromUtf8("IOR:1.4677        Pluse:2.5us        Wavelen：1310nm        AMP:50"));
  EXPECT_EQ(child<QLineEdit>(*w, "Text4_0")->text(), "1.4677");
  EXPECT_EQ(child<QLineEdit>(*w, "Text4_1")->text(), "2.5us");
  EXPECT_EQ(child<QLineEdit>(*w, "Text4_3")->text(), "50");
  EXPECT_EQ(
      w->eventText(),
      "No.\tType\tDis(m)\tLoss(dB)\tIL(dB)\r\n1\tREF\t1021\t1.50\t1.50\r\n2\tATT\t3064\t4.00");
  // rangeN 4: two blocks, the view the whole record, and the plot redrawn for it.
  EXPECT_EQ(w->header().BlocksPerTrace, 2);
  EXPECT_EQ(w->view().ViewEnd, 8000);
  EXPECT_EQ(w->view().FullRangeEnd, 8000);
  EXPECT_EQ(child<QLineEdit>(*w, "Text4_5")->text(), "817m/div     2dB/div");
  EXPECT_FALSE(w->dataPresent());
}

TEST_F(MainWindowTest, ArrowKeysInTheListLoadTheTrace) {
  writeTrace("a.otdr", makeRecord(3), 2);
  writeTrace("b.otdr", makeRecord(4), 3);
  auto w = open(Language::English);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  auto* list = child<QListWidget>(*w, "List1");
  QApplication::setActiveWindow(w.get());
  list->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return list->hasFocus(); }, 2000));
  list->setCurrentRow(0);
  const QString first = list->item(0)->text();
  QTest::keyClick(list, Qt::Key_Down);
  const QString second = list->currentItem()->text();
  ASSERT_NE(first, second);
  EXPECT_EQ(w->statusText(), "Loaded " + second);
  EXPECT_EQ(w->view().FullRangeEnd, second == "a.otdr" ? 4000 : 8000);
}

TEST_F(MainWindowTest, BadFilesChangeNothingAndSayWhy) {
  writeTrace("good.otdr", makeRecord(3), 2);
  writeRaw("empty.otdr", "");
  writeRaw("letters.otdr", "12,abc,");
  TraceRecord wide = makeRecord(3);
  writeRaw("sixteen.otdr", QByteArray::fromStdString(BuildRecordText(wide, 2))
                               .replace(0, QByteArray::number(2 ^ kWordMask).size(),
                                        QByteArray::number(16 ^ kWordMask)));
  auto w = open(Language::English);
  click(*w, "good.otdr");
  const TraceRecord before = w->record();
  const QString label = child<QLabel>(*w, "Label1")->text();
  const ViewWindow view = w->view();
  for (const char* name : {"empty.otdr", "letters.otdr", "sixteen.otdr"}) {
    SCOPED_TRACE(name);
    click(*w, name);
    EXPECT_TRUE(w->record().words == before.words);
    EXPECT_EQ(child<QLabel>(*w, "Label1")->text(), label);
    EXPECT_EQ(w->view().ViewEnd, view.ViewEnd);
    EXPECT_TRUE(w->statusText().contains(name)) << w->statusText().toStdString();
  }
  // A file removed behind the list's back is reported too.
  QFile::remove(QDir(folder()).filePath("good.otdr"));
  click(*w, "good.otdr");
  EXPECT_TRUE(w->statusText().contains("good.otdr"));
}

TEST_F(MainWindowTest, ManualSaveNeedsAnUploadFirst) {
  writeTrace("a.otdr", makeRecord(3), 2);
  auto w = open(Language::English);
  click(*w, "a.otdr");
  harness.dialog->answer = QDir(folder()).filePath("b.otdr");
  w->Command2_Click();
  EXPECT_EQ(harness.dialog->asked, 0);
  EXPECT_FALSE(QFile::exists(harness.dialog->answer));
}

TEST_F(MainWindowTest, AutomaticSavesNeverReplaceEachOther) {
  auto w = open(Language::English);
  EXPECT_TRUE(w->AutoSaveTrace(12, 2).ok());  // also creates the missing folder
  EXPECT_TRUE(w->lastAutoSave().endsWith("/12_20191211057.otdr"));
  // 11 Jan and 1 Nov print alike unpadded; the second must not replace the first.
  harness.clock->time = QDateTime(QDate(2019, 1, 11), QTime(10, 5, 7));
  const QString first = w->lastAutoSave();
  harness.clock->time = QDateTime(QDate(2019, 11, 1), QTime(10, 5, 7));
  EXPECT_TRUE(w->AutoSaveTrace(3, 2).ok());
  EXPECT_TRUE(w->AutoSaveTrace(3, 2).ok());
  EXPECT_TRUE(w->lastAutoSave().endsWith("/03_20191111057-2.otdr"))
      << w->lastAutoSave().toStdString();
  EXPECT_TRUE(QFile::exists(first));
  w->ListSavedTraces();
  EXPECT_EQ(child<QListWidget>(*w, "List1")->count(), 3);
}

TEST_F(MainWindowTest, AutomaticSaveIntoAnUnwritableFolderSaysSo) {
  writeRaw("save-is-a-file", "x");
  MainWindow w(Language::English,
               harness.options(QDir(folder()).filePath("save-is-a-file/sub"), noPort));
  const Status saved = w.AutoSaveTrace(1, 2);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().code, ErrorCode::CannotCreateFolder);
  const QString error = QString::fromStdString(saved.error().text());
  EXPECT_TRUE(error.contains("save-is-a-file")) << error.toStdString();
  // The status line says it too, naming the folder.
  EXPECT_TRUE(w.statusText().startsWith("Cannot create the save folder "))
      << w.statusText().toStdString();
  EXPECT_TRUE(w.statusText().contains("save-is-a-file/sub")) << w.statusText().toStdString();
}

// The window uses the folder it is given for everything and says where it is only when
// that is not beside the program; with none, it says why saving is unavailable.
TEST_F(MainWindowTest, ChosenSaveFolderIsUsedAndAnnounced) {
  struct Case {
    Language language;
    SaveFolderChoice::Place place;
    const char* status;  // the status line at start, with %1 the folder
  };
  const Case cases[] = {
      {Language::English, SaveFolderChoice::Place::BesideProgram, ""},
      {Language::English, SaveFolderChoice::Place::UserData, "Traces are kept in %1"},
      {Language::Chinese, SaveFolderChoice::Place::UserData, "曲线保存在 %1"},
  };
  writeTrace("a.otdr", makeRecord(3), 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.place));
    MainWindowOptions o = harness.options(QString(), noPort);
    o.chooseSaveFolder = [&] {
      SaveFolderChoice choice;
      choice.place = c.place;
      choice.folder = folder();
      return choice;
    };
    MainWindow w(c.language, std::move(o));
    EXPECT_EQ(w.saveFolder(), folder());
    EXPECT_EQ(w.statusText(), QString::fromUtf8(c.status).arg(folder()));
    EXPECT_EQ(child<QListWidget>(w, "List1")->count(), 1);
    click(w, "a.otdr");
    EXPECT_EQ(w.view().FullRangeEnd, 4000);  // the file was read from that folder
    EXPECT_TRUE(w.AutoSaveTrace(5, 2).ok());
    EXPECT_TRUE(w.lastAutoSave().startsWith(folder() + "/05_")) << w.lastAutoSave().toStdString();
    QFile::remove(w.lastAutoSave());
  }
}

TEST_F(MainWindowTest, WithoutAnyWritableFolderSavingIsUnavailableButNothingElseStops) {
  const struct {
    Language language;
    const char* start;
    const char* beside;
    const char* user;
  } cases[] = {
      {Language::English, "Saving is unavailable", "/opt/tl/save (Permission denied)",
       "/home/u/.local/share/tracelink/save (Read-only file system)"},
      {Language::Chinese, "无法保存曲线", "/opt/tl/save (没有访问权限)",
       "/home/u/.local/share/tracelink/save (只读，不能写入)"},
  };
  for (const auto& c : cases) {
    const Language language = c.language;
    MainWindowOptions o = harness.options(QString(), noPort);
    o.chooseSaveFolder = [] {
      SaveFolderChoice choice;
      choice.besideFolder = "/opt/tl/save";
      choice.besideReason = FolderRefusal::cannotUse(
          fileError(ErrorCode::CannotCreateFolder, "/opt/tl/save", EACCES, "Permission denied"));
      choice.userFolder = "/home/u/.local/share/tracelink/save";
      choice.userReason = FolderRefusal::cannotUse(fileError(ErrorCode::CannotWrite,
                                                             "/home/u/.local/share/tracelink/save",
                                                             EROFS, "Read-only file system"));
      return choice;
    };
    MainWindow w(language, std::move(o));
    const QString status = w.statusText();
    EXPECT_TRUE(status.startsWith(QString::fromUtf8(c.start))) << status.toStdString();
    for (const char* part : {c.beside, c.user})
      EXPECT_TRUE(status.contains(QString::fromUtf8(part))) << status.toStdString();
    EXPECT_TRUE(w.saveFolder().isEmpty());
    EXPECT_EQ(child<QListWidget>(w, "List1")->count(), 0);
    w.ListSavedTraces();  // nothing is listed from the working folder either
    EXPECT_EQ(child<QListWidget>(w, "List1")->count(), 0);
    const Status saved = w.AutoSaveTrace(1, 2);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(QString::fromStdString(saved.error().text(language)), status);
    EXPECT_EQ(w.statusText(), status);
    EXPECT_TRUE(w.lastAutoSave().isEmpty());
  }
}

// The Chinese program's file dialog and message box buttons come from Qt's translations,
// which the package depends on.
TEST(QtTranslationsTest, ChineseProgramGetsQtsOwnTextsInChinese) {
  QTranslator english;
  EXPECT_FALSE(loadQtTranslations(Language::English, english));
  QTranslator chinese;
  ASSERT_TRUE(loadQtTranslations(Language::Chinese, chinese))
      << "Qt's Chinese translations are not installed";
  QCoreApplication::installTranslator(&chinese);
  const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
  const QString save = QCoreApplication::translate("QFileDialog", "&Save");
  QCoreApplication::removeTranslator(&chinese);
  EXPECT_EQ(cancel, QStringLiteral("取消"));
  EXPECT_NE(save, QStringLiteral("&Save"));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

TEST_F(MainWindowTest, ScanListsExistingPortsIncludingBusyOnes) {
  FakePort one, two, four;
  // Port 5's device node is there, but no port stands behind it.
  FakePort five(false);
  ASSERT_FALSE(one.device().isEmpty());
  // Port 2 is held by someone else while the scan runs.
  QSerialPort holder;
  holder.setPortName(two.device());
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  const auto mapping = [&](int n) -> QString {
    switch (n) {
      case 1:
        return one.device();
      case 2:
        return two.device();
      case 4:
        return four.device();
      case 5:
        return five.device();
      default:
        return noPort(n);
    }
  };
  auto w = open(Language::English, mapping);
  auto* combo = child<QComboBox>(*w, "Combo1");
  QStringList entries;
  for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
  EXPECT_EQ(entries.mid(0, 3), (QStringList{"1", "2", "4"}));
  EXPECT_FALSE(entries.contains("5"));
  EXPECT_EQ(combo->currentText(), "4");
  // The scan leaves no port open: port 4 can be opened by someone else at once.
  QSerialPort probe;
  probe.setPortName(four.device());
  EXPECT_TRUE(probe.open(QIODevice::ReadWrite));
}

TEST_F(MainWindowTest, ConnectAndDisconnect) {
  FakePort port;
  const auto mapping = [&](int n) { return n == 1 ? port.device() : noPort(n); };
  for (Language language : {Language::English, Language::Chinese}) {
    const UiStrings& s = uiStrings(language);
    auto w = open(language, mapping);
    auto* button = child<QPushButton>(*w, "Command1");
    auto* combo = child<QComboBox>(*w, "Combo1");
    combo->setEditText("1");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), s.disconnect);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), s.connect);
    // A typed device path works as well as a number.
    combo->setEditText(port.device());
    w->Command1_Click();
    EXPECT_EQ(button->text(), s.disconnect);
    w->Command1_Click();
    for (const char* bad : {"", "abc", "3", "21", "/nonexistent/ttyX"}) {
      combo->setEditText(bad);
      w->Command1_Click();
      EXPECT_EQ(button->text(), s.connect) << bad;
      EXPECT_FALSE(w->statusText().isEmpty()) << bad;
    }
  }
}

}  // namespace
}  // namespace tracelink::test
