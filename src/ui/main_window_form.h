#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace tracelink {

class TraceSession;

// The kinds of control the main window's form places.
enum class ControlKind {
  Background,
  Plot,
  Label,
  List,
  TextBox,
  ValueBox,
  Combo,
  Button,
  Progress
};

// One control as the form places it: its kind, name, rectangle in twips and design-time
// caption. The captions are the form's own, Chinese; the English build replaces them at
// load (applyEnglishCaptions), and Label1 is cleared there. The rows are in the form's
// order, which is also the order in which the controls lie on top of each other.
struct ControlPlace {
  ControlKind kind;
  const char* name;
  int left, top, width, height;  // twips
  QString caption;
};

// Every control of the form, in its order.
std::vector<ControlPlace> formControls();

// Makes the control of one row in client, with the properties that follow from its kind
// (opaque top-aligned labels, hidden value boxes and progress bars); the plot shows
// session.
QWidget* placeControl(QWidget* client, TraceSession& session, const ControlPlace& c);

}  // namespace tracelink
