#include "ui/main_window_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "render/layout.h"
#include "ui/background.h"
#include "ui/trace_view.h"
#include "ui/ui_strings.h"

namespace tracelink {

std::vector<ControlPlace> formControls() {
  const UiStrings& zh = uiStrings(Language::Chinese);
  return {
      {ControlKind::Background, "Picture1", 0, 0, 11175, 8655, {}},
      {ControlKind::Plot, "Picture2", 120, 120, 0, 0, {}},  // the plot has a size of its own
      {ControlKind::Label, "Label2", 120, 5760, 1935, 375, zh.fileHeading},
      {ControlKind::Label, "Label1", 2280, 5760, 8535, 375, QStringLiteral("折射率：")},
      {ControlKind::Label, "Label3", 2280, 7920, 495, 255, QStringLiteral("1/2")},
      {ControlKind::Label, "Label5", 2280, 8160, 495, 375, QStringLiteral("1")},
      {ControlKind::List, "List1", 120, 6000, 2055, 2595, {}},
      {ControlKind::TextBox, "Text1", 2280, 6000, 6015, 1695, {}},
      {ControlKind::ValueBox, "Text4_0", 0, 8280, 495, 375, {}},
      {ControlKind::ValueBox, "Text4_1", 495, 8280, 495, 375, {}},
      {ControlKind::ValueBox, "Text4_2", 990, 8280, 495, 375, {}},
      {ControlKind::ValueBox, "Text4_3", 1485, 8280, 495, 375, {}},
      {ControlKind::ValueBox, "Text4_4", 1980, 8280, 495, 375, {}},
      {ControlKind::ValueBox, "Text4_5", 2475, 8280, 495, 375, {}},
      {ControlKind::Combo, "Combo1", 8640, 5880, 855, 315, {}},
      {ControlKind::Button, "Command1", 9600, 5760, 1455, 495, zh.connect},
      {ControlKind::Button, "Command12", 9600, 6360, 1455, 495, zh.uploadCurrent},
      {ControlKind::Button, "Command2", 9600, 6960, 1455, 495, zh.saveCurrent},
      {ControlKind::Button, "Command4", 9600, 7560, 1455, 495, zh.uploadAll},
      {ControlKind::Button, "Command3", 8280, 8160, 1095, 495, zh.backColour},
      {ControlKind::Button, "Command5", 9600, 8160, 1455, 495, zh.print},
      {ControlKind::Progress, "ProgressBar2", 2880, 7800, 5175, 375, {}},
      {ControlKind::Progress, "ProgressBar1", 2880, 8160, 5175, 375, {}},
  };
}

QWidget* placeControl(QWidget* client, TraceSession& session, const ControlPlace& c) {
  QWidget* w = nullptr;
  switch (c.kind) {
    case ControlKind::Background:
      w = new BackgroundPicture(client);
      break;
    case ControlKind::Plot:
      w = new TraceView(session, client);
      w->move(twipsToPixels(c.left), twipsToPixels(c.top));
      return w;
    case ControlKind::Label: {
      auto* label = new QLabel(c.caption, client);
      // Labels are opaque, so their text stays readable over the background picture, and
      // their text starts at the top as the layout's overlapping boxes expect.
      label->setAutoFillBackground(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      w = label;
      break;
    }
    case ControlKind::List:
      w = new QListWidget(client);
      break;
    case ControlKind::TextBox:
      w = new QPlainTextEdit(client);
      break;
    case ControlKind::ValueBox:
      // The hidden value boxes that the decode fills and the report reads.
      w = new QLineEdit(client);
      w->hide();
      break;
    case ControlKind::Combo:
      w = new QComboBox(client);
      break;
    case ControlKind::Button:
      w = new QPushButton(c.caption, client);
      break;
    case ControlKind::Progress: {
      auto* bar = new QProgressBar(client);
      bar->setTextVisible(false);
      bar->hide();
      w = bar;
      break;
    }
  }
  w->setObjectName(QString::fromLatin1(c.name));
  w->setGeometry(twipsRect(c.left, c.top, c.width, c.height));
  return w;
}

}  // namespace tracelink
