#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

#include "compare/overlay.h"
#include "measure/measure.h"
#include "record/language.h"
#include "trace/trace.h"
#include "ui/platform.h"

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tracelink {

class BendsDialog;
class BidirDialog;
class ComparePlot;
class Settings;
class StatusLine;
struct UiStrings;

// One trace of a comparison and the name the window gives it (its file's name).
struct ComparedTrace {
  QString name;
  QString path;  // empty for a trace that came from no file
  Trace trace;
};

struct CompareWindowOptions {
  Settings* settings = nullptr;  // where the window remembers its place; none: nowhere
  std::shared_ptr<SaveDialog> saveDialog;
  QString exportFolder;  // where the Save As dialogs start when no trace came from a file
};

// Up to eight traces on one plot: a legend that shows or hides each and moves it up or down,
// "Align at cursor", the crosshair's reading of every trace, markers A and B with each
// trace's loss between them, PNG and PDF of the overlay; and from here the two-direction
// analysis and the bends of the traces loaded.
class CompareWindow : public QWidget {
  Q_OBJECT

 public:
  CompareWindow(Language language, CompareWindowOptions options, QWidget* parent = nullptr);
  ~CompareWindow() override;

  // Loads the files and compares those that load; each that does not is named on the status
  // line with the reason. More than eight are refused whole, naming the count.
  void openFiles(const QStringList& paths);
  // Compares these traces; problems (files not loaded) go on the status line. More than
  // eight are refused, naming the count, and the traces shown stay.
  void setTraces(std::vector<ComparedTrace> traces, const QStringList& problems = {});

  const std::vector<ComparedTrace>& traces() const { return traces_; }
  const std::vector<compare::OverlayTrace>& overlay() const { return overlay_; }
  ComparePlot* plot() const { return plot_; }
  QString statusText() const;

  void setShown(std::size_t i, bool shown);
  // Moves every trace so that all read at the crosshair what the first one with a point there
  // reads; a trace with none there keeps its offset.
  void alignAtCursor();

  void ExportPng();
  void ExportPdf();
  BidirDialog* showTwoDirections();
  BendsDialog* showBends();

 protected:
  // The plot's keys (markers, pans, full view) work wherever the focus is in the window,
  // unless the control with the focus takes the key itself.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildControls();
  void fillLegend();
  void showReadings();
  // Measures every trace between the markers (after the markers or the traces changed).
  void showMeasurements();
  // Row i of the marker table from its measurement and its trace's offset.
  void showMeasuredRow(std::size_t i);
  void setStatus(const QString& text);
  QString startFolder() const;
  // Writes bytes to a file chosen in a Save As dialog; says on the status line how it went.
  void saveBytes(const QByteArray& bytes, const QString& title, const QString& filter,
                 const QString& saved, const QString& failed);

  Language language_;
  const UiStrings& strings_;
  CompareWindowOptions options_;
  std::vector<ComparedTrace> traces_;
  std::vector<compare::OverlayTrace> overlay_;  // points into traces_
  // Each trace measured at the markers: the levels without its offset (none without that
  // marker), and the loss between them as the table shows it.
  struct MeasuredRow {
    std::optional<Measured<MarkerLevel>> a;
    std::optional<Measured<MarkerLevel>> b;
    QString loss;
    QString twoPoint;
    QString lsa;
    QString why;  // why the span could not be measured
  };
  std::vector<MeasuredRow> measured_;

  ComparePlot* plot_ = nullptr;
  QLabel* cursorLabel_ = nullptr;
  QLabel* markersLabel_ = nullptr;
  QTableWidget* legend_ = nullptr;
  std::vector<QDoubleSpinBox*> offsets_;
  QTableWidget* markerTable_ = nullptr;
  QPushButton* twoDirections_ = nullptr;
  QPushButton* bendsButton_ = nullptr;
  StatusLine* status_ = nullptr;
  QPointer<BidirDialog> bidir_;
  QPointer<BendsDialog> bends_;
};

}  // namespace tracelink
