#pragma once

#include <QWidget>

#include "record/language.h"
#include "report/report_layout.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tracelink {

// The print settings window ("printerset"): the report's header texts, the printer list
// that discovery fills, the hidden Text7 mirroring the chosen printer, and the Preview
// button.
// Closing it deletes it, so the next use starts again from the defaults; hiding it keeps
// everything.
class PrinterSetWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PrinterSetWindow(Language language, QWidget* parent = nullptr);

  // The header texts as they stand now.
  ReportHeader headerTexts() const;
  // Text7 shows the chosen printer; the report workflow holds the choice.
  void showChosenPrinter(const QString& name);
  // Replaces the list's entries; the chosen printer is left as it is.
  void setPrinterNames(const QStringList& names);
  // Puts texts into the boxes for the device, cable, fibre, fibre type and operator; the
  // time box keeps the moment the window was loaded.
  void setHeaderTexts(const ReportHeader& texts);

 signals:
  // A printer's name was clicked in the list.
  void printerClicked(const QString& name);
  // The Preview button was pressed; the window has hidden itself.
  void previewRequested();
  // The user changed one of the header texts.
  void headerTextsEdited();

 private:
  void Form_Load();
  void List1_Click();
  void Command1_Click();

  Language language_;
  QGroupBox* frame1_;
  QGroupBox* frame2_;
  QLabel* label1_;
  QLabel* label2_;
  QLabel* label3_;
  QLabel* label4_;
  QLabel* label5_;
  QLabel* label6_;
  QLabel* label7_;
  QLineEdit* text1_;
  QLineEdit* text2_;
  QLineEdit* text3_;
  QLineEdit* text4_;
  QLineEdit* text5_;
  QLineEdit* text6_;
  QLineEdit* text7_;
  QListWidget* list1_;
  QPushButton* command1_;
};

}  // namespace tracelink
