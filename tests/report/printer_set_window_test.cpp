#include "report/printer_set_window.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace tracelink {
namespace {

template <class W>
W* child(QWidget& window, const char* name) {
  W* w = window.findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

TEST(PrinterSetWindow, ControlsSitAtTheirDesignPlacesWithTheBuildsTexts) {
  struct Control {
    const char* name;
    QRect rect;  // twips / 15, relative to the frame for framed controls
    const char* english;
    const char* chinese;
  };
  const std::vector<Control> controls{
      {"Frame1", {24, 16, 225, 281}, "User Setting", "用户设置"},
      {"Label1", {16, 32, 65, 17}, "Device name:", "设备名称："},
      {"Text1", {88, 24, 129, 25}, "VT520X", "VT520X光时域反射仪"},
      {"Label2", {16, 72, 81, 17}, "Cable No.:", "光缆标号："},
      {"Text2", {88, 66, 129, 25}, "00088", "00088"},
      {"Label3", {16, 112, 81, 17}, "Fiber No.:", "光纤标号："},
      {"Text3", {88, 107, 129, 25}, "000999", "000999"},
      {"Label6", {16, 152, 73, 17}, "Fiber type:", "光纤类型："},
      {"Text4", {88, 149, 129, 25}, "Single Mode", "常规单模光纤"},
      {"Label4", {16, 192, 73, 25}, "Operator:", "操作员："},
      {"Text5", {88, 190, 129, 25}, "TE Marlow", "林工"},
      {"Label5", {16, 240, 81, 25}, "Time:", "测量时间："},
      {"Text6", {88, 232, 129, 25}, nullptr, nullptr},
      {"Frame2", {272, 16, 177, 281}, "Printer Setting", "打印设置"},
      {"Label7", {16, 24, 137, 25}, "Select Printer", "打印机选择："},
      {"List1", {16, 40, 145, 160}, nullptr, nullptr},
      {"Command1", {48, 224, 89, 33}, "Preview", "打印预览"},
      {"Text7", {8, 232, 57, 33}, "", ""},
  };
  for (const Language language : {Language::English, Language::Chinese}) {
    PrinterSetWindow window(language);
    EXPECT_EQ(window.objectName(), "printerset");
    EXPECT_EQ(window.windowTitle(),
              language == Language::English ? "VT520X Print Setting" : "VT520X v1.1 打印设置");
    EXPECT_EQ(window.size(), QSize(475, 316));
    for (const Control& c : controls) {
      QWidget* w = child<QWidget>(window, c.name);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(w->geometry(), c.rect) << c.name;
      const char* expected = language == Language::English ? c.english : c.chinese;
      if (!expected) continue;
      QString text;
      if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
      if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
      if (auto* b = qobject_cast<QPushButton*>(w)) text = b->text();
      if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
      EXPECT_EQ(text, QString::fromUtf8(expected)) << c.name;
    }
    EXPECT_TRUE(child<QLineEdit>(window, "Text7")->isHidden());
    // The measurement time is the local date and time of the load.
    EXPECT_TRUE(
        QDateTime::fromString(child<QLineEdit>(window, "Text6")->text(), "yyyy-MM-dd HH:mm:ss")
            .isValid());
  }
}

TEST(PrinterSetWindow, ListClickChoosesAndRefreshKeepsTheChoice) {
  PrinterSetWindow window(Language::English);
  window.setPrinterNames({"Office", "Lab"});
  auto* list = child<QListWidget>(window, "List1");
  QSignalSpy clicked(&window, &PrinterSetWindow::printerClicked);
  const QRect second = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(clicked.at(0).at(0).toString(), "Lab");
  window.showChosenPrinter("Lab");
  EXPECT_EQ(child<QLineEdit>(window, "Text7")->text(), "Lab");

  // A new discovery without that printer: the list changes, the mirrored choice does not.
  window.setPrinterNames({"Office"});
  EXPECT_EQ(list->count(), 1);
  EXPECT_EQ(child<QLineEdit>(window, "Text7")->text(), "Lab");
  list->setFocus();
  EXPECT_EQ(clicked.count(), 1);
}

TEST(PrinterSetWindow, PreviewHidesTheWindowAndAsksForThePreview) {
  PrinterSetWindow window(Language::English);
  window.show();
  QSignalSpy preview(&window, &PrinterSetWindow::previewRequested);
  child<QLineEdit>(window, "Text5")->setText("");
  QTest::mouseClick(child<QPushButton>(window, "Command1"), Qt::LeftButton);
  EXPECT_EQ(preview.count(), 1);
  EXPECT_FALSE(window.isVisible());
  const ReportHeader header = window.headerTexts();
  EXPECT_EQ(header.operatorName, "");
  EXPECT_EQ(header.deviceName, "VT520X");
  EXPECT_EQ(header.fiberType, "Single Mode");
}

}  // namespace
}  // namespace tracelink
