#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "render/level_series_plot.h"
#include "render/plot_geometry.h"
#include "render/view_icons.h"
#include "session/trace_session.h"
#include "session/view_window.h"

class QLabel;

namespace tracelink {

// The visible plot Picture2 with its hidden canvas Picture3, the readout label Label4
// and the three view buttons. The trace and its view window belong to the session: the
// plot draws what the session holds, redraws when it announces a change, and moves the
// window only through the session's operations (zoom, pan, full view, colour scheme).
class TraceView : public QWidget {
  Q_OBJECT

 public:
  explicit TraceView(TraceSession& session, QWidget* parent = nullptr);

  void InitPlotSurfaces();
  // Renders the canvas from the current state, then presents it.
  void RedrawPlot();
  // Canvas -> visible picture, inverted in the dark scheme; wipes every overlay.
  void PresentPlot();
  // The events "Show events" marks, in the trace's frame, in place of the instrument's
  // (the window's own analysis); nullopt: the instrument's again.
  void setMarkedEvents(std::optional<std::vector<double>> distancesM);
  // The events' verdicts against the chosen limits, by their number in the event table
  // (index 0: event 1); an event without one, or an empty list, is marked as ever.
  void setEventVerdicts(std::vector<std::optional<bool>> verdicts);

  void Command3_Click();  // colour scheme toggle
  void Picture4_Click();  // full view
  void Picture5_Click();  // pan toward the start
  void Picture6_Click();  // pan toward the end

  // Mouse handlers in plot coordinates (x metres, y raw level); every button acts the same.
  void Picture2_MouseDown(float x, float y);
  void Picture2_MouseMove(float x, float y);
  void Picture2_MouseUp(float x);

  // The measuring keys while the pointer is over the plot: A and B set a marker at the
  // crosshair, E shows or hides the instrument's events, Esc clears the markers. Returns
  // whether the key was one of them (and the pointer over the plot).
  bool handleMarkerKey(int key);
  bool pointerOver() const { return pointerOver_; }
  // The view keys while the pointer is over the plot: + and - zoom in and out about the
  // middle of the window, the arrows pan as the pan buttons do, Home is the full view.
  // Returns whether the key was one of them (and the pointer over the plot).
  bool handleViewKey(int key);

  const QImage& canvas() const { return canvas_; }    // Picture3: light colours, no overlays
  const QImage& picture() const { return picture_; }  // Picture2 as shown, overlays included
  std::int16_t backColourMode() const { return session_.colourScheme(); }
  const PlotFrame& frame() const { return frame_; }  // the window last drawn (ViewStartM...)
  std::int32_t cursorM() const { return cursorM_; }
  // Another maker's trace: the point under the crosshair, or -1 before the pointer moved.
  std::int64_t cursorPoint() const { return cursorPoint_; }
  // Where its points were last drawn on the canvas.
  const TraceCanvasScale& canvasScale() const { return canvasScale_; }
  bool dragging() const { return dragging_; }
  // The level in dB drawn at pixel row py of the plot, as the trace on screen is drawn
  // (zoomed or not); and the level range the plot shows unzoomed, bottom to top.
  double levelDbAtRow(double py) const;
  double levelRowOfDb(double dB) const;
  LevelZoom shownLevels() const;

 signals:
  // A right click that did not move: the plot's menu, at globalPos, for the distance under
  // the pointer (held inside the window).
  void contextMenuRequested(const QPoint& globalPos, double metres);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // The wheel zooms about the distance under the pointer: away from the user in, toward
  // the user out.
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* makeIconButton(const char* name, int leftTwips, ViewIcon icon);
  void setReadoutColour();
  // Another maker's trace on screen: the point nearest plot metres x inside the window,
  // and where a distance of the trace's own frame lies on the plot.
  std::int64_t foreignPointAt(double x) const;
  double foreignPlotMetres(double traceMetres) const;
  std::optional<std::vector<double>> markedEvents_;
  std::vector<std::optional<bool>> eventVerdicts_;
  void foreignMouseMove(float x);
  std::optional<LevelRange> levelRange() const;

  TraceSession& session_;

  QImage canvas_;   // Picture3
  QImage picture_;  // Picture2
  PlotFrame frame_;

  std::int32_t dragStartM_ = 0;
  std::int32_t dragEndM_ = 0;
  std::int32_t dragStartY_ = 0;
  std::int32_t cursorM_ = 0;
  std::int64_t cursorPoint_ = -1;
  TraceCanvasScale canvasScale_;
  bool dragging_ = false;
  // A drag begun with Shift zooms the levels between the rows it spans, not the distances.
  bool levelDrag_ = false;
  double levelDragStartRow_ = 0;
  bool pointerOver_ = false;
  QPoint rightPressAt_{-1, -1};

  QLabel* label4_ = nullptr;
  QLabel* picture4_ = nullptr;
  QLabel* picture5_ = nullptr;
  QLabel* picture6_ = nullptr;
};

}  // namespace tracelink
