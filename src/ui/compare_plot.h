#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>
#include <vector>

#include "compare/overlay.h"
#include "render/overlay_plot.h"

namespace tracelink {

// The Compare window's plot: the overlay of its traces on the plot canvas, with the
// crosshair, the markers and the zoom box drawn over it on the visible picture only. It
// holds the view; the traces and their offsets belong to the window, which redraws the plot
// whenever it changes them.
//
// Mouse: a drag zooms to the distances it spans (any button); a left click sets marker A at
// the crosshair, a right click marker B. Keys (Keys()): A and B set a marker at the
// crosshair, Esc clears both, the arrows pan, Home is the full view, + and - zoom.
class ComparePlot : public QWidget {
  Q_OBJECT

 public:
  explicit ComparePlot(QWidget* parent = nullptr);

  // The traces drawn (the window's, alive as long as the plot); shows them whole.
  void setTraces(const std::vector<compare::OverlayTrace>* traces);
  // Draws the traces again in the same distance window (an offset or a trace shown or
  // hidden); the levels follow what is shown.
  void redraw();

  void fullView();
  // Shows the distances from..to (either order), held inside the traces; a window narrower
  // than two of the finest spacing is not taken.
  void zoomTo(double fromM, double toM);
  // Moves the window by half its width toward the start (-1) or the end (+1).
  void pan(int direction);
  // Widens (factor > 1) or narrows the window about its middle, or about a distance in it.
  void zoomBy(double factor);
  void zoomAbout(double distanceM, double factor);

  void setMarker(char letter, double distanceM);
  void clearMarkers();
  std::optional<double> markerA() const { return markerA_; }
  std::optional<double> markerB() const { return markerB_; }
  // Where the crosshair stands (or last stood), none before the pointer came over the plot.
  std::optional<double> cursorM() const { return cursorM_; }
  // Puts the crosshair at a distance, as a pointer move there does.
  void setCursor(double distanceM);

  // The keys listed above; returns whether the key was one of them.
  bool handleKey(int key);

  const OverlayView& view() const { return view_; }
  const OverlayScale& scale() const { return scale_; }
  const QImage& picture() const { return picture_; }  // as shown, crosshair included
  // Each trace's reading where the crosshair stands (or last stood); empty without one.
  const std::vector<std::optional<compare::OverlayReading>>& readings() const { return readings_; }
  // The plot for an export: the overlay and the markers, no crosshair or zoom box.
  QImage exportImage() const;
  // Shown inverted (the main window's dark scheme) or as drawn; exports stay as drawn.
  void setInverted(bool inverted);
  bool inverted() const { return inverted_; }

 signals:
  void cursorMoved(double distanceM);
  void markersChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // The wheel zooms about the distance under the pointer, as on the main plot.
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The canvas and the markers as shown, inverted in the dark scheme: made again only when
  // one of them changes, while the crosshair moves over it.
  void rebuildBase();
  // The base with the crosshair, the readings' ticks and the zoom box.
  void present();
  void paintMarkers(QImage& image) const;
  double heldInside(double distanceM) const;
  double minimumWidthM() const;

  const std::vector<compare::OverlayTrace>* traces_ = nullptr;
  OverlayView view_;
  OverlayScale scale_;
  QImage canvas_;
  QImage base_;
  QImage picture_;
  std::vector<std::optional<compare::OverlayReading>> readings_;
  bool inverted_ = false;
  std::optional<double> cursorM_;
  bool pointerOver_ = false;
  std::optional<double> markerA_;
  std::optional<double> markerB_;
  QPoint pressAt_{-1, -1};
  Qt::MouseButton pressButton_ = Qt::NoButton;
  bool dragging_ = false;
  QPoint dragTo_;
};

}  // namespace tracelink
