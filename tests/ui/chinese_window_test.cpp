// The Chinese program end to end through its window: what a technician who reads only
// Chinese sees when something goes wrong, in the status line and in Qt's own dialogs, and
// that the English program keeps its English texts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>
#include <iterator>

#include "files/record_file.h"
#include "files/record_text.h"
#include "integration/sim_harness.h"
#include "link/upload_controller.h"
#include "record/fill_in.h"
#include "ui/main_window.h"
#include "ui/platform.h"
#include "ui/qt_translations.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

// The Latin words of `text` once the names it may carry (a device path, a file name, what
// the user typed) are taken out. A Chinese message has none left.
QStringList latinWords(QString text, const QStringList& names) {
  for (const QString& name : names) text.remove(name);
  QStringList words;
  static const QRegularExpression latin(QStringLiteral("[A-Za-z]+"));
  for (auto it = latin.globalMatch(text); it.hasNext();) words << it.next().captured();
  return words;
}

bool hasChinese(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
  return false;
}

// A button's caption without its keyboard mnemonic ("保存(&S)" and "&Save" alike).
QString withoutMnemonic(QString caption) {
  static const QRegularExpression bracketed(QStringLiteral(R"(\(&\w\))"));
  return caption.remove(bracketed).remove(QLatin1Char('&'));
}

// Chinese words, and no Latin ones but the names listed after the text.
#define EXPECT_CHINESE(text, ...)                                                                 \
  do {                                                                                            \
    const QString shown = (text);                                                                 \
    EXPECT_TRUE(hasChinese(shown)) << shown.toStdString();                                        \
    EXPECT_EQ(latinWords(shown, QStringList{__VA_ARGS__}), QStringList()) << shown.toStdString(); \
  } while (false)

// Runs `handle` on the first widget of type T that becomes the active modal widget, once
// the event loop of whatever opened it runs. Polls, so the dialog may take a moment; the
// polling ends when the returned timer goes, so keep it while the dialog may come.
template <typename T>
std::unique_ptr<QTimer> whenModal(std::function<void(T*)> handle) {
  auto poll = std::make_unique<QTimer>();
  poll->setInterval(10);
  QTimer* timer = poll.get();
  QObject::connect(timer, &QTimer::timeout, [timer, handle] {
    if (auto* found = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      handle(found);
    }
  });
  timer->start();
  return poll;
}

// Qt's own texts in the program's language, installed for as long as it lives.
class QtTexts {
 public:
  explicit QtTexts(Language language) {
    installed_ = loadQtTranslations(language, translator_);
    if (installed_) QCoreApplication::installTranslator(&translator_);
  }
  ~QtTexts() {
    if (installed_) QCoreApplication::removeTranslator(&translator_);
  }
  QtTexts(const QtTexts&) = delete;
  QtTexts& operator=(const QtTexts&) = delete;
  bool installed() const { return installed_; }

 private:
  QTranslator translator_;
  bool installed_ = false;
};

class ChineseWindowTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Harness harness;
  QString folder() const { return dir.filePath("save"); }

  static void SetUpTestSuite() {
    // The widget dialog, whatever the platform offers, so the test can reach its buttons.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  }

  std::unique_ptr<MainWindow> open(Language language, MainWindowOptions options) {
    return std::make_unique<MainWindow>(language, std::move(options));
  }
  std::unique_ptr<MainWindow> open(Language language) {
    return open(language, harness.options(folder(), noPort));
  }

  static void connectTo(MainWindow& w, const QString& device) {
    w.findChild<QComboBox*>("Combo1")->setEditText(device);
    w.Command1_Click();
  }

  static bool finish(MainWindow& w) {
    return QTest::qWaitFor([&] { return !w.transferBusy(); }, 30000);
  }

  // A window connected to the simulator, holding an uploaded current trace.
  std::unique_ptr<MainWindow> withUpload(Language language, const SimProcess& sim,
                                         MainWindowOptions options) {
    auto w = open(language, std::move(options));
    connectTo(*w, sim.device());
    w->Command12_Click();
    EXPECT_TRUE(finish(*w));
    EXPECT_TRUE(w->dataPresent()) << w->statusText().toStdString();
    return w;
  }

  void writeRaw(const QString& name, const QByteArray& bytes) {
    QDir().mkpath(folder());
    QFile f(QDir(folder()).filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  static void click(MainWindow& w, const QString& entry) {
    auto* list = w.findChild<QListWidget*>("List1");
    const auto items = list->findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << entry.toStdString();
    list->setCurrentItem(items.front());
    w.List1_Click();
  }
};

TEST_F(ChineseWindowTest, AFailedConnectIsToldInChinese) {
  const QString missing = QStringLiteral("/nonexistent/ttyGone%1").arg(getpid());
  for (const QString& typed : {QStringLiteral("abc"), QStringLiteral("21"), missing}) {
    SCOPED_TRACE(typed.toStdString());
    auto w = open(Language::Chinese);
    connectTo(*w, typed);
    EXPECT_EQ(w->findChild<QPushButton*>("Command1")->text(), QStringLiteral("连接仪表"));
    EXPECT_TRUE(w->statusText().contains(typed)) << w->statusText().toStdString();
    EXPECT_CHINESE(w->statusText(), typed);
  }
}

TEST_F(ChineseWindowTest, ALostPortIsToldInChinese) {
  SimProcess sim({"--range", "4", "--line-rate"});
  ASSERT_FALSE(sim.device().isEmpty());
  auto w = open(Language::Chinese);
  connectTo(*w, sim.device());
  ASSERT_EQ(w->findChild<QPushButton*>("Command1")->text(), QStringLiteral("断开连接"));
  // A request under way, so that the line is being read when its far end goes.
  w->Command12_Click();
  sim.stop();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return w->findChild<QPushButton*>("Command1")->text() == "连接仪表"; }, 10000));
  ASSERT_TRUE(finish(*w));
  EXPECT_TRUE(w->statusText().contains(sim.device())) << w->statusText().toStdString();
  EXPECT_TRUE(w->statusText().contains(QStringLiteral("设备已断开")))
      << w->statusText().toStdString();
  EXPECT_CHINESE(w->statusText(), sim.device());
}

TEST_F(ChineseWindowTest, ADamagedFileIsToldInChinese) {
  TraceRecord record = makeRecord(3);
  const QByteArray whole = QByteArray::fromStdString(BuildRecordText(record, 2));
  const QByteArray twoBlocks = QByteArray::number(2 ^ kWordMask);
  const auto withBlockCount = [&](std::int32_t n) {
    return QByteArray(whole).replace(0, twoBlocks.size(), QByteArray::number(n ^ kWordMask));
  };
  const struct {
    const char* name;
    QByteArray bytes;
    const char* reason;
  } cases[] = {
      {"empty.otdr", "", "文件是空的"},
      {"letters.otdr", twoBlocks + ",abc,", "第 2 个字段不是数字"},
      {"short.otdr", whole.left(whole.size() / 3), "文件不完整"},
      {"sixteen.otdr", withBlockCount(16), "数据块数 16 不在 1 到 15 之间"},
      {"zero.otdr", withBlockCount(0), "数据块数 0 不在 1 到 15 之间"},
      // Taken away after the list was made.
      {"gone.otdr", whole, "无法打开：文件或文件夹不存在"},
  };
  for (const auto& c : cases) writeRaw(c.name, c.bytes);
  auto w = open(Language::Chinese);
  ASSERT_TRUE(QFile::remove(QDir(folder()).filePath("gone.otdr")));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = QDir(folder()).filePath(c.name);
    click(*w, c.name);
    EXPECT_TRUE(w->statusText().contains(QString::fromUtf8(c.reason)))
        << w->statusText().toStdString();
    EXPECT_CHINESE(w->statusText(), path, QDir::toNativeSeparators(path));
  }
}

TEST_F(ChineseWindowTest, AFailedSaveIsToldInChinese) {
  SimProcess sim({"--range", "0", "--stored", "0"});
  auto w = withUpload(Language::Chinese, sim, harness.options(folder(), noPort));
  ASSERT_TRUE(QDir().mkpath(dir.filePath("a-folder.otdr")));
  for (const QString& target :
       {dir.filePath("no-such-folder/cable.otdr"), dir.filePath("a-folder.otdr")}) {
    SCOPED_TRACE(target.toStdString());
    harness.dialog->answer = target;
    w->Command2_Click();
    EXPECT_FALSE(QFileInfo(target).isFile());
    EXPECT_TRUE(w->statusText().startsWith(QStringLiteral("保存失败")))
        << w->statusText().toStdString();
    EXPECT_CHINESE(w->statusText(), target);
  }
}

// The automatic save of Upload All cannot make its folder: the upload stops and says why.
TEST_F(ChineseWindowTest, AnUploadAllThatCannotSaveIsToldInChinese) {
  QFile blocker(dir.filePath("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  const QString saveFolder = dir.filePath("blocker/save");
  SimProcess sim({"--range", "0", "--stored", "2", "--no-current"});
  auto w = open(Language::Chinese, harness.options(saveFolder, noPort));
  connectTo(*w, sim.device());
  w->Command4_Click();
  ASSERT_TRUE(finish(*w));
  EXPECT_TRUE(w->statusText().startsWith(QStringLiteral("上传中止：曲线 1 无法保存")))
      << w->statusText().toStdString();
  EXPECT_TRUE(w->statusText().endsWith(QStringLiteral("路径中有一项不是文件夹")))
      << w->statusText().toStdString();
  EXPECT_CHINESE(w->statusText(), saveFolder);
}

// Installed where no folder can be written: the note at start and every refused automatic
// save give their reasons in Chinese. Plain files stand where the folders would be made,
// which holds back root as well.
TEST_F(ChineseWindowTest, SavingUnavailableIsToldInChinese) {
  for (const char* file : {"bin", "data"}) {
    QFile f(dir.filePath(file));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QString bin = dir.filePath("bin");
  const QString data = dir.filePath("data");
  const struct {
    const char* what;
    QString programFolder;
    QString userDataFolder;
    QStringList names;  // longest first, so that a folder's parent does not cut it apart
  } cases[] = {
      {"both blocked", bin, data, {bin + "/save", data + "/save"}},
      {"system folder", "/usr/bin", data, {"/usr/bin/save", "/usr/bin", data + "/save"}},
      {"no user data folder", bin, QString(), {bin + "/save"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MainWindowOptions o = harness.options(QString(), noPort);
    o.chooseSaveFolder = [&c] { return chooseSaveFolder(c.programFolder, c.userDataFolder); };
    auto w = open(Language::Chinese, std::move(o));
    EXPECT_TRUE(w->saveFolder().isEmpty());
    EXPECT_TRUE(w->statusText().startsWith(QStringLiteral("无法保存曲线")))
        << w->statusText().toStdString();
    EXPECT_CHINESE(w->statusText(), c.names);
    const Status saved = w->AutoSaveTrace(1, 2);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(QString::fromStdString(saved.error().text(Language::Chinese)), w->statusText());
  }
}

// Permissions do not hold back the superuser, so as root the check runs again in a child
// of this program as user nobody, and passes when the child does.
TEST_F(ChineseWindowTest, ASaveIntoAReadOnlyFolderIsToldInChinese) {
  if (::geteuid() == 0) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("setpriv",
                {"--reuid=65534", "--regid=65534", "--clear-groups",
                 QCoreApplication::applicationFilePath(),
                 "--gtest_filter=ChineseWindowTest.ASaveIntoAReadOnlyFolderIsToldInChinese"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    if (child.exitCode() != 0 && output.startsWith("setpriv:"))
      GTEST_SKIP() << "cannot run as nobody: " << output.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    return;
  }
  SimProcess sim({"--range", "0", "--stored", "0"});
  auto w = withUpload(Language::Chinese, sim, harness.options(folder(), noPort));
  const QString locked = dir.filePath("locked");
  ASSERT_TRUE(QDir().mkpath(locked));
  ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  const QString target = QDir(locked).filePath("cable.otdr");
  harness.dialog->answer = target;
  w->Command2_Click();
  QFile::setPermissions(locked,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_TRUE(w->statusText().contains(QStringLiteral("没有访问权限")))
      << w->statusText().toStdString();
  EXPECT_CHINESE(w->statusText(), target);
}

TEST_F(ChineseWindowTest, ATimedOutUploadIsToldInChinese) {
  SimProcess sim({"--range", "4", "--silent-after", "2"});
  auto w = open(Language::Chinese);
  connectTo(*w, sim.device());
  w->findChild<UploadController*>()->setReplyTimeout(std::chrono::milliseconds(300));
  w->Command12_Click();
  ASSERT_TRUE(finish(*w));
  EXPECT_EQ(w->statusText(), QStringLiteral("上传中止：当前曲线, 数据块 2 未在 0.3 秒内收到"));
  EXPECT_CHINESE(w->statusText());
  EXPECT_FALSE(w->dataPresent());
}

// What Qt's Save As dialog showed while the test drove it.
struct DialogSeen {
  QStringList buttons;  // the button box's captions
  QStringList labels;   // "Look in:", "File name:", "Files of type:"
  QString question;     // the replace question, when one was asked
  QStringList questionButtons;
};

DialogSeen captions(QFileDialog* dialog) {
  DialogSeen seen;
  if (auto* box = dialog->findChild<QDialogButtonBox*>())
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
  for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
    if (auto* label = dialog->findChild<QLabel*>(name)) seen.labels << label->text();
  return seen;
}

// Types `name` into the dialog and presses Save. A replace question is read, and answered
// with `replace`; the dialog is cancelled when it stays open after that.
void typeAndSave(QFileDialog* dialog, const QString& name, bool replace, DialogSeen& seen) {
  seen = captions(dialog);
  const auto question = whenModal<QMessageBox>([&seen, replace](QMessageBox* box) {
    seen.question = box->text();
    for (QAbstractButton* b : box->buttons()) seen.questionButtons << b->text();
    box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
  });
  dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
  auto* box = dialog->findChild<QDialogButtonBox*>();
  box->button(QDialogButtonBox::Save)->click();
  if (dialog->isVisible()) dialog->reject();
}

struct LanguageCase {
  Language language;
  const char* save;
  const char* cancel;
  const char* fileNameLabel;
  const char* questionStart;
  const char* yes;
  const char* no;
  const char* ok;
};

const LanguageCase kLanguages[] = {
    {Language::English, "Save", "Cancel", "File name:", "already exists.", "Yes", "No", "OK"},
    {Language::Chinese, "保存", "取消", "文件名称：", "已存在", "是", "否", "确定"},
};

TEST_F(ChineseWindowTest, SaveAsDialogAndReplaceQuestionSpeakTheProgramsLanguage) {
  QDir().mkpath(folder());
  writeRaw("old.otdr", "keep me");
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.save);
    QtTexts texts(c.language);
    ASSERT_EQ(texts.installed(), c.language == Language::Chinese)
        << "Qt's Chinese translations are not installed";
    const UiStrings& s = uiStrings(c.language);
    QtSaveDialog dialog;
    DialogSeen seen;
    const auto poll =
        whenModal<QFileDialog>([&](QFileDialog* d) { typeAndSave(d, "old.otdr", false, seen); });
    EXPECT_EQ(dialog.askSavePath(nullptr, s.saveDialogTitle, folder(), s.saveFilter), QString());
    EXPECT_EQ(QFile(QDir(folder()).filePath("old.otdr")).size(), 7);  // kept

    QStringList buttons;
    for (const QString& b : seen.buttons) buttons << withoutMnemonic(b);
    EXPECT_TRUE(buttons.contains(QString::fromUtf8(c.save))) << buttons.join('|').toStdString();
    EXPECT_TRUE(buttons.contains(QString::fromUtf8(c.cancel))) << buttons.join('|').toStdString();
    EXPECT_TRUE(seen.question.contains("old.otdr")) << seen.question.toStdString();
    EXPECT_TRUE(seen.question.contains(QString::fromUtf8(c.questionStart)))
        << seen.question.toStdString();
    QStringList answers;
    for (const QString& b : seen.questionButtons) answers << withoutMnemonic(b);
    EXPECT_EQ(answers.size(), 2);
    EXPECT_TRUE(answers.contains(QString::fromUtf8(c.yes))) << answers.join('|').toStdString();
    EXPECT_TRUE(answers.contains(QString::fromUtf8(c.no))) << answers.join('|').toStdString();
    if (c.language == Language::Chinese) {
      for (const QString& text : seen.buttons + seen.labels + answers)
        EXPECT_CHINESE(withoutMnemonic(text));
      EXPECT_CHINESE(seen.question, QStringLiteral("old.otdr"));
    }
    QStringList labels;
    for (const QString& l : seen.labels) labels << withoutMnemonic(l);
    EXPECT_EQ(labels.size(), 3);
    EXPECT_TRUE(labels.contains(QString::fromUtf8(c.fileNameLabel)))
        << labels.join('|').toStdString();

    // Answered yes, the dialog gives the existing file's path for the caller to replace.
    const auto again =
        whenModal<QFileDialog>([&](QFileDialog* d) { typeAndSave(d, "old.otdr", true, seen); });
    EXPECT_EQ(dialog.askSavePath(nullptr, s.saveDialogTitle, folder(), s.saveFilter),
              QDir(folder()).filePath("old.otdr"));
  }
}

TEST_F(ChineseWindowTest, MessageBoxOkSpeaksTheProgramsLanguage) {
  for (const LanguageCase& c : kLanguages) {
    QtTexts texts(c.language);
    QWidget parent;
    QStringList buttons;
    QString text;
    const auto poll = whenModal<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      for (QAbstractButton* b : box->buttons()) buttons << withoutMnemonic(b->text());
      box->accept();
    });
    QtMessageBoxes().information(&parent, uiStrings(c.language).noDatas);
    EXPECT_EQ(text, uiStrings(c.language).noDatas);
    EXPECT_EQ(buttons, QStringList{QString::fromUtf8(c.ok)});
  }
}

// "cable88" typed in the real dialog is written as cable88.otdr, which the list shows.
TEST_F(ChineseWindowTest, ANameWithoutExtensionIsSavedAsOtdr) {
  SimProcess sim({"--range", "0", "--stored", "0"});
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.save);
    QtTexts texts(c.language);
    MainWindowOptions options = harness.options(folder(), noPort);
    options.saveDialog = std::make_shared<QtSaveDialog>();
    auto w = withUpload(c.language, sim, std::move(options));
    QFile::remove(QDir(folder()).filePath("cable88.otdr"));
    DialogSeen seen;
    const auto poll =
        whenModal<QFileDialog>([&](QFileDialog* d) { typeAndSave(d, "cable88", false, seen); });
    w->Command2_Click();
    EXPECT_TRUE(seen.question.isEmpty()) << seen.question.toStdString();
    const QString saved = QDir(folder()).filePath("cable88.otdr");
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(QFile::exists(QDir(folder()).filePath("cable88")));
    EXPECT_EQ(w->statusText(),
              fillIn(uiStrings(c.language).saved, {QDir::toNativeSeparators(saved)}));
    EXPECT_EQ(
        w->findChild<QListWidget*>("List1")->findItems("cable88.otdr", Qt::MatchExactly).size(), 1);
    w->Command1_Click();  // the simulator serves the next window
  }
}

// One instrument and one save folder for each program; the programs run side by side, so
// the slow line costs the time of one.
struct SideBySide {
  QTemporaryDir dir;
  std::unique_ptr<SimProcess> sim;
  std::unique_ptr<MainWindow> window;
  QString folder() const { return dir.filePath("save"); }
};

TEST_F(ChineseWindowTest, UploadAllAtTheLimitSaysHowManyWereLeft) {
  const struct {
    Language language;
    const char* status;
  } cases[] = {
      {Language::English, "Uploaded 50 of 60 stored traces (at most 50 per upload)"},
      {Language::Chinese, "已上传 60 条存储曲线中的 50 条（每次最多 50 条）"},
  };
  SideBySide runs[std::size(cases)];
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    runs[i].sim = std::make_unique<SimProcess>(QStringList{"--stored", "60", "--range", "0"});
    runs[i].window = open(cases[i].language, harness.options(runs[i].folder(), noPort));
    connectTo(*runs[i].window, runs[i].sim->device());
    runs[i].window->Command4_Click();
  }
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].status);
    MainWindow& w = *runs[i].window;
    ASSERT_TRUE(finish(w));
    // The summary, then the time it took.
    const UiStrings& s = uiStrings(cases[i].language);
    const QString took = fillIn(s.uploadTook, {QString::fromUtf8(cases[i].status), "@"});
    EXPECT_TRUE(w.statusText().startsWith(took.left(took.indexOf('@'))))
        << w.statusText().toStdString();
    EXPECT_TRUE(w.statusText().endsWith(took.mid(took.indexOf('@') + 1)))
        << w.statusText().toStdString();
    EXPECT_EQ(QDir(runs[i].folder()).entryList({"*.otdr"}, QDir::Files).size(), 50);
  }
}

// Another button pressed during Upload All abandons it; the status line says how many of
// the stored traces were saved, beside whatever the button then says. %1 is the device.
TEST_F(ChineseWindowTest, UploadAllAbandonedByAnotherButtonSaysHowManyWereSaved) {
  TraceRecord onFile = makeRecord(3);
  const QByteArray fileText = QByteArray::fromStdString(BuildRecordText(onFile, 2));
  const struct {
    Language language;
    const char* button;
    std::function<void(MainWindow&)> press;
    const char* status;
  } cases[] = {
      {Language::Chinese, "Upload Cur", [](MainWindow& w) { w.Command12_Click(); },
       "上传存储器数据已中止：3 条存储曲线中已保存 1 条"},
      {Language::Chinese, "file list", [](MainWindow& w) { click(w, "a.otdr"); },
       "上传存储器数据已中止：3 条存储曲线中已保存 1 条；已读取 a.otdr"},
      {Language::Chinese, "BREAK", [](MainWindow& w) { w.Command1_Click(); },
       "上传存储器数据已中止：3 条存储曲线中已保存 1 条；已断开 %1"},
      {Language::English, "file list", [](MainWindow& w) { click(w, "a.otdr"); },
       "Upload All abandoned: 1 of 3 stored traces saved; Loaded a.otdr"},
  };
  SideBySide runs[std::size(cases)];
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    QDir().mkpath(runs[i].folder());
    QFile f(QDir(runs[i].folder()).filePath("a.otdr"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(fileText);
    f.close();
    // Paced as the real line, so the second trace is still on its way when the button goes.
    runs[i].sim =
        std::make_unique<SimProcess>(QStringList{"--stored", "3", "--range", "0", "--line-rate"});
    runs[i].window = open(cases[i].language, harness.options(runs[i].folder(), noPort));
    connectTo(*runs[i].window, runs[i].sim->device());
    runs[i].window->Command4_Click();
  }
  const auto firstSaved = [&](std::size_t i) {
    return QDir(runs[i].folder()).entryList({"01_*.otdr"}, QDir::Files).size() == 1;
  };
  bool pressed[std::size(cases)] = {};
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        bool all = true;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
          if (!pressed[i] && firstSaved(i)) {
            cases[i].press(*runs[i].window);
            pressed[i] = true;
          }
          all = all && pressed[i];
        }
        return all;
      },
      20000));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].button);
    MainWindow& w = *runs[i].window;
    ASSERT_TRUE(finish(w));
    const QString device = runs[i].sim->device();
    const QString status = QString::fromUtf8(cases[i].status).replace("%1", device);
    if (std::string_view(cases[i].button) == "Upload Cur") {
      // The count stays beside the current trace's upload, which ended well.
      const QString uploaded = uiStrings(cases[i].language).uploadedCurrent;
      EXPECT_TRUE(w.statusText().startsWith(
          fillIn(uiStrings(cases[i].language).abandonedThen,
                 {status, uploaded.left(uploaded.indexOf(QStringLiteral("{0}")))})))
          << w.statusText().toStdString();
    } else {
      EXPECT_EQ(w.statusText(), status);
    }
    EXPECT_EQ(QDir(runs[i].folder()).entryList({"0*.otdr"}, QDir::Files).size(), 1);
    if (cases[i].language == Language::Chinese)
      EXPECT_CHINESE(w.statusText(), QStringLiteral("a.otdr"), device);
  }
}

}  // namespace
}  // namespace tracelink::test
