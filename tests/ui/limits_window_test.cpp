// Limits in the window, in both languages: without limits (never chosen, or chosen and
// then "None") the event box and the plot are exactly as ever; with limits the event box
// gains a verdict column, Show events marks pass and fail in their colours, and the status
// line gives the verdict and the core's first failing item. The dialog takes presets,
// typed figures (refusing bad ones by their field), files (refusing a damaged one by its
// key) and saves them; the choice is remembered between runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "cable/cable_strings.h"
#include "cable/generated_cable.h"
#include "cable/verdict.h"
#include "compare/event_list.h"
#include "record/fill_in.h"
#include "render/marker_overlay.h"
#include "trace/load_trace.h"
#include "ui/limits_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/settings.h"
#include "ui/trace_view.h"
#include "ui/ui_strings.h"
#include "ui_test_support.h"

namespace tracelink::test {
namespace {

const QString kSor = QStringLiteral(TRACELINK_SOR_SAMPLES);
const QString kOtdr = QStringLiteral(TRACELINK_OTDR_SAMPLES);

class LimitsWindowTest : public ::testing::TestWithParam<Language> {
 protected:
  QTemporaryDir dir;
  Harness harness;
  std::shared_ptr<ScriptedOpenDialog> openDialog = std::make_shared<ScriptedOpenDialog>();
  const UiStrings& strings() const { return uiStrings(GetParam()); }

  std::unique_ptr<MainWindow> window(std::shared_ptr<Settings> settings = nullptr) {
    MainWindowOptions o = harness.options(dir.filePath("save"), noPort);
    o.openDialog = openDialog;
    o.settings = std::move(settings);
    auto w = std::make_unique<MainWindow>(GetParam(), std::move(o));
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
  }
  static QString text1(const MainWindow& w) {
    return w.findChild<QPlainTextEdit*>("Text1")->toPlainText();
  }
  static void showEvents(MainWindow& w) {
    QAction* action = w.plotMenu()->findChild<QAction*>("ShowEvents");
    ASSERT_NE(action, nullptr);
    if (!action->isChecked()) action->trigger();
  }
  // Pixels of the plot in a verdict's colour.
  static int pixelsOf(const MainWindow& w, bool pass) {
    const QImage image = w.traceView()->picture().convertToFormat(QImage::Format_RGB32);
    const QRgb colour = verdictColour(pass, w.traceView()->backColourMode()).rgb();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
  }
  // Fibre 03 of the generated cable seen from end A: a splice over the limit at 1500 m.
  QString failingTrace() {
    const std::vector<GeneratedFibre> cable = generatedCable();
    const QString path = dir.filePath("CABLE_F03_AB.sor");
    const std::vector<std::uint8_t> bytes = WriteTraceSor(cable[2].fromA[0]);
    std::ofstream(toPath(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
};

TEST_P(LimitsWindowTest, WithoutLimitsTheEventBoxAndThePlotAreAsEver) {
  const cable::Limits limits = generatedCableLimits();
  for (const QString& path :
       {QDir(kOtdr).filePath("sample_04_range7.otdr"), QDir(kSor).filePath("sample06.sor"),
        QDir(kSor).filePath("sample16.sor"), failingTrace()}) {
    SCOPED_TRACE(path.toStdString());
    auto plain = window();
    plain->openTraceFile(path);
    showEvents(*plain);
    // Chosen before the trace came and put off after: nothing of it stays.
    auto judged = window();
    judged->setLimits(limits);
    judged->openTraceFile(path);
    showEvents(*judged);
    EXPECT_NE(text1(*judged), text1(*plain));
    judged->setLimits(std::nullopt);
    EXPECT_EQ(text1(*judged), text1(*plain));
    EXPECT_EQ(judged->traceView()->picture(), plain->traceView()->picture());
    EXPECT_EQ(pixelsOf(*plain, true) + pixelsOf(*plain, false), 0);
    EXPECT_EQ(judged->statusText(), strings().limitsCleared);
  }
}

TEST_P(LimitsWindowTest, WithLimitsTheEventsAreMarkedAndTheStatusGivesTheFirstFailure) {
  const QString path = failingTrace();
  auto plain = window();
  plain->openTraceFile(path);
  auto w = window();
  const cable::Limits limits = generatedCableLimits();
  w->setLimits(limits);
  w->openTraceFile(path);

  // The core's verdict of the same trace and events.
  const Trace trace = *LoadTrace(toPath(path));
  const cable::Verdict verdict = cable::judgeTrace(trace, compare::fibreEvents(trace), limits);
  const cable::Judgement* first = verdict.firstFailure();
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(first->item, cable::Item::SpliceLoss);
  EXPECT_TRUE(
      w->statusText().contains(QString::fromStdString(cable::judgementText(*first, GetParam()))))
      << w->statusText().toStdString();
  EXPECT_TRUE(w->statusText().contains(QString::fromStdString(limits.name)));

  // Each line of the table as it was, the verdict column after it: the launch and the end
  // are not judged, the splice fails, the connector passes.
  const QStringList before = text1(*plain).remove('\r').split('\n');
  const QStringList after = text1(*w).remove('\r').split('\n');
  ASSERT_EQ(after.size(), before.size());
  ASSERT_EQ(trace.events.size(), 4u);
  const QString expected[] = {'\t' + strings().eventVerdictColumn, QString(),
                              '\t' + fillIn(strings().markFail, {strings().itemSplice}),
                              '\t' + strings().markPass, QString()};
  for (qsizetype i = 0; i < 5; ++i) EXPECT_EQ(after[i], before[i] + expected[i]) << i;

  // Show events: the splice's mark in the fail colour, the connector's in the pass colour.
  showEvents(*w);
  EXPECT_GT(pixelsOf(*w, false), 0);
  EXPECT_GT(pixelsOf(*w, true), 0);

  // Our own events (F5) are judged as the box then shows them.
  w->analyseWith({});
  const QStringList ours = text1(*w).remove('\r').split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(ours.size(), 2);
  EXPECT_TRUE(ours[1].endsWith('\t' + strings().eventVerdictColumn));
  EXPECT_EQ(ours.filter(fillIn(strings().markFail, {strings().itemSplice})).size(), 1);
}

// A trace opened after one whose box showed our events is judged by its own table, as in
// a window that never showed the first: no verdict of the first trace's events stays.
TEST_P(LimitsWindowTest, TheNextTraceIsJudgedByItsOwnEvents) {
  const cable::Limits limits = generatedCableLimits();
  const QString first = failingTrace();
  for (const QString& next :
       {QDir(kSor).filePath("sample06.sor"), QDir(kOtdr).filePath("sample_04_range7.otdr")}) {
    SCOPED_TRACE(next.toStdString());
    auto fresh = window();
    fresh->setLimits(limits);
    fresh->openTraceFile(next);
    showEvents(*fresh);

    auto w = window();
    w->setLimits(limits);
    w->openTraceFile(first);
    w->analyseWith({});  // F5: the box shows our events of the first trace
    w->openTraceFile(next);
    showEvents(*w);
    EXPECT_EQ(text1(*w).toStdString(), text1(*fresh).toStdString());
    EXPECT_EQ(w->statusText().toStdString(), fresh->statusText().toStdString());
    EXPECT_EQ(pixelsOf(*w, true), pixelsOf(*fresh, true));
    EXPECT_EQ(pixelsOf(*w, false), pixelsOf(*fresh, false));
  }
}

TEST_P(LimitsWindowTest, TheDialogTakesPresetsFiguresAndFilesAndTheChoiceIsRemembered) {
  const QString settingsPath = dir.filePath("settings.ini");
  const cable::Limits& preset = cable::presets().front();
  {
    auto w = window(std::make_shared<Settings>(settingsPath));
    w->ChooseLimits();
    LimitsDialog* dialog = w->limitsDialog();
    ASSERT_NE(dialog, nullptr);
    auto* choice = dialog->findChild<QComboBox*>("LimitsChoice");
    choice->setCurrentIndex(1);
    emit choice->activated(1);
    EXPECT_EQ(dialog->findChild<QLineEdit*>("name")->text().toStdString(), preset.name);
    dialog->accept();
    ASSERT_TRUE(w->limits().has_value());
    EXPECT_EQ(*w->limits(), preset);
  }
  // Remembered for the next run.
  {
    auto w = window(std::make_shared<Settings>(settingsPath));
    ASSERT_TRUE(w->limits().has_value());
    EXPECT_EQ(*w->limits(), preset);

    // Figures that cannot be limits are refused by their field, and the dialog stays.
    w->ChooseLimits();
    LimitsDialog* dialog = w->limitsDialog();
    const auto field = [&](const char* key) { return dialog->findChild<QLineEdit*>(key); };
    const auto caption = [](QString c) { return c.remove(':').remove(QChar(0xFF1A)); };
    struct Case {
      const char* key;
      const char* typed;
      QString expected;
    };
    const Case cases[] = {
        {"spliceLossMaxDb", "0,3x",
         fillIn(strings().limitsNotANumber, {caption(strings().limitsSplice)})},
        {"connectorLossMaxDb", "-0.5",
         fillIn(strings().limitsOutOfRange, {caption(strings().limitsConnector)})},
        {"attenuationMaxDbPerKm", "1310 0.35", strings().limitsAttenuationForm},
        {"lengthMinM", "9000", strings().limitsMinAboveMax},
        {"name", "", strings().limitsMissingName},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.key);
      const QString was = field(c.key)->text();
      field("lengthMaxM")->setText("5000");
      field(c.key)->setText(QString::fromUtf8(c.typed));
      dialog->accept();
      EXPECT_EQ(w->limitsDialog(), dialog);
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_EQ(dialog->message(), c.expected);
      field(c.key)->setText(was);
    }

    // Typed figures saved as a file and read back are the same limits.
    field("name")->setText("Typed");
    field("spliceLossMaxDb")->setText("0.15");
    field("attenuationMaxDbPerKm")->setText("1310: 0.4; 1550 nm = 0.3");
    field("orlMinDb")->setText("");
    const std::optional<cable::Limits> typed = dialog->fieldLimits();
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(typed->spliceLossMaxDb, 0.15);
    EXPECT_EQ(typed->attenuationMaxDbPerKm, (std::map<int, double>{{1310, 0.4}, {1550, 0.3}}));
    EXPECT_FALSE(typed->orlMinDb.has_value());
    const QString file = dir.filePath("typed.json");
    ASSERT_TRUE(dialog->saveFile(file));
    field("name")->setText("Other");
    ASSERT_TRUE(dialog->openFile(file));
    EXPECT_EQ(dialog->fieldLimits(), typed);

    // A damaged file is refused with the key and the reason, in the cable's words.
    const QString damaged = dir.filePath("damaged.json");
    std::ofstream(toPath(damaged)) << R"({"name": "x", "spliceLosMaxDb": 0.3})";
    EXPECT_FALSE(dialog->openFile(damaged));
    const cable::LimitsOutcome why = cable::parseLimits(R"({"name": "x", "spliceLosMaxDb": 0.3})");
    EXPECT_EQ(dialog->message(),
              fillIn(strings().limitsFileRefused,
                     {QString::fromStdString(cable::limitsProblemText(
                         std::get<cable::LimitsProblem>(why),
                         QDir::toNativeSeparators(damaged).toStdString(), GetParam()))}));
    EXPECT_TRUE(dialog->message().contains("spliceLosMaxDb"));
    EXPECT_EQ(dialog->fieldLimits(), typed);  // the fields stay as they were

    // "None": nothing is judged, and that is remembered too.
    auto* choice = dialog->findChild<QComboBox*>("LimitsChoice");
    choice->setCurrentIndex(0);
    emit choice->activated(0);
    dialog->accept();
    EXPECT_FALSE(w->limits().has_value());
  }
  auto w = window(std::make_shared<Settings>(settingsPath));
  EXPECT_FALSE(w->limits().has_value());
}

INSTANTIATE_TEST_SUITE_P(Languages, LimitsWindowTest,
                         ::testing::Values(Language::English, Language::Chinese));

}  // namespace
}  // namespace tracelink::test
