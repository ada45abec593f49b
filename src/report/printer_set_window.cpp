#include "report/printer_set_window.h"

#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "render/layout.h"
#include "report/page_geometry.h"
#include "report/report_page.h"
#include "report/report_strings.h"

namespace tracelink {

namespace {

constexpr int kClientWidthTwips = 7125;
constexpr int kClientHeightTwips = 4740;

template <class W>
W* place(QWidget* parent, const char* name, QRect rect) {
  auto* w = new W(parent);
  w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(rect);
  return w;
}

}  // namespace

PrinterSetWindow::PrinterSetWindow(Language language, QWidget* parent)
    : QWidget(parent, Qt::Window), language_(language) {
  setObjectName(QStringLiteral("printerset"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFont(reportWindowFont());
  setFixedSize(twipsRect(0, 0, kClientWidthTwips, kClientHeightTwips).size());

  frame1_ = place<QGroupBox>(this, "Frame1", twipsRect(360, 240, 3375, 4215));
  label1_ = place<QLabel>(frame1_, "Label1", twipsRect(240, 480, 975, 255));
  text1_ = place<QLineEdit>(frame1_, "Text1", twipsRect(1320, 360, 1935, 375));
  label2_ = place<QLabel>(frame1_, "Label2", twipsRect(240, 1080, 1215, 255));
  text2_ = place<QLineEdit>(frame1_, "Text2", twipsRect(1320, 984, 1935, 375));
  label3_ = place<QLabel>(frame1_, "Label3", twipsRect(240, 1680, 1215, 255));
  text3_ = place<QLineEdit>(frame1_, "Text3", twipsRect(1320, 1608, 1935, 375));
  label6_ = place<QLabel>(frame1_, "Label6", twipsRect(240, 2280, 1095, 255));
  text4_ = place<QLineEdit>(frame1_, "Text4", twipsRect(1320, 2232, 1935, 375));
  label4_ = place<QLabel>(frame1_, "Label4", twipsRect(240, 2880, 1095, 375));
  text5_ = place<QLineEdit>(frame1_, "Text5", twipsRect(1320, 2856, 1935, 375));
  label5_ = place<QLabel>(frame1_, "Label5", twipsRect(240, 3600, 1215, 375));
  text6_ = place<QLineEdit>(frame1_, "Text6", twipsRect(1320, 3480, 1935, 375));

  frame2_ = place<QGroupBox>(this, "Frame2", twipsRect(4080, 240, 2655, 4215));
  label7_ = place<QLabel>(frame2_, "Label7", twipsRect(240, 360, 2055, 375));
  list1_ = place<QListWidget>(frame2_, "List1", twipsRect(240, 600, 2175, 2400));
  list1_->setSelectionMode(QAbstractItemView::SingleSelection);
  command1_ = place<QPushButton>(frame2_, "Command1", twipsRect(720, 3360, 1335, 495));
  text7_ = place<QLineEdit>(frame2_, "Text7", twipsRect(120, 3480, 855, 495));
  text7_->hide();  // only a click in the list writes it
  // Captions sit at the top of their boxes, as they were placed.
  for (QLabel* label : {label1_, label2_, label3_, label4_, label5_, label6_, label7_})
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  // A click (or moving the selection with the keys) picks the entry; clearing the list
  // drops the selection without touching the chosen name.
  connect(list1_, &QListWidget::itemSelectionChanged, this, &PrinterSetWindow::List1_Click);
  connect(command1_, &QPushButton::clicked, this, &PrinterSetWindow::Command1_Click);
  for (QLineEdit* box : {text1_, text2_, text3_, text4_, text5_, text6_})
    connect(box, &QLineEdit::textEdited, this, &PrinterSetWindow::headerTextsEdited);
  Form_Load();
}

void PrinterSetWindow::Form_Load() {
  if (const QScreen* screen = this->screen()) {
    // A window that does not fit keeps its position on that axis.
    move(centredOn(screen->geometry(), size(), pos()));
  }
  const PrinterSetStrings& s = reportStrings(language_).printerSet;
  setWindowTitle(s.caption);
  frame1_->setTitle(s.frame1);
  frame2_->setTitle(s.frame2);
  label1_->setText(s.label1);
  label2_->setText(s.label2);
  label3_->setText(s.label3);
  label4_->setText(s.label4);
  label5_->setText(s.label5);
  label6_->setText(s.label6);
  label7_->setText(s.label7);
  command1_->setText(s.command1);
  const ReportHeader defaults = defaultReportHeader(language_, QDateTime::currentDateTime());
  text1_->setText(defaults.deviceName);
  text2_->setText(defaults.cableNo);
  text3_->setText(defaults.fiberNo);
  text4_->setText(defaults.fiberType);
  text5_->setText(defaults.operatorName);
  text6_->setText(defaults.time);
}

void PrinterSetWindow::List1_Click() {
  const QList<QListWidgetItem*> selected = list1_->selectedItems();
  if (!selected.isEmpty()) emit printerClicked(selected.first()->text());
}

void PrinterSetWindow::showChosenPrinter(const QString& name) {
  text7_->setText(name);
}

void PrinterSetWindow::Command1_Click() {
  hide();
  emit previewRequested();
}

ReportHeader PrinterSetWindow::headerTexts() const {
  return {text1_->text(), text2_->text(), text3_->text(),
          text4_->text(), text5_->text(), text6_->text()};
}

void PrinterSetWindow::setHeaderTexts(const ReportHeader& texts) {
  text1_->setText(texts.deviceName);
  text2_->setText(texts.cableNo);
  text3_->setText(texts.fiberNo);
  text4_->setText(texts.fiberType);
  text5_->setText(texts.operatorName);
}

void PrinterSetWindow::setPrinterNames(const QStringList& names) {
  list1_->clear();
  list1_->addItems(names);
}

}  // namespace tracelink
