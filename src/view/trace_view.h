#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "record/decode.h"
#include "record/trace_record.h"
#include "view/plot_geometry.h"

class QLabel;

namespace tracelink {

// The visible plot Picture2 with its hidden canvas Picture3, the readout label Label4
// and the three view buttons. The record, header, view window and decoded values belong
// to the main window; the view reads them and writes StartPoint (0 -> 1) and the view
// window when the user zooms, pans or asks for the full view.
class TraceView : public QWidget {
  Q_OBJECT

 public:
  TraceView(const TraceRecord& record, HeaderState& header, ViewWindow& view,
            const DecodedValues& decoded, QWidget* parent = nullptr);

  void InitPlotSurfaces();
  // Renders the canvas from the current state, then presents it.
  void RedrawPlot();
  // Canvas -> visible picture, inverted in the dark scheme; wipes every overlay.
  void PresentPlot();

  void Command3_Click();  // colour scheme toggle
  void Picture4_Click();  // full view
  void Picture5_Click();  // pan toward the start
  void Picture6_Click();  // pan toward the end

  // Mouse handlers in plot coordinates (x metres, y raw level); button and shift are
  // accepted and ignored, every button acts the same.
  void Picture2_MouseDown(int button, int shift, float x, float y);
  void Picture2_MouseMove(int button, int shift, float x, float y);
  void Picture2_MouseUp(int button, int shift, float x, float y);

  const QImage& canvas() const { return canvas_; }    // Picture3: light colours, no overlays
  const QImage& picture() const { return picture_; }  // Picture2 as shown, overlays included
  QString scaleText() const { return scaleText_; }    // Text4(5)
  std::int16_t backColourMode() const { return backColourMode_; }
  const PlotFrame& frame() const { return frame_; }  // the window last drawn (ViewStartM...)
  std::int32_t cursorM() const { return cursorM_; }
  bool dragging() const { return dragging_; }

 signals:
  void scaleTextChanged(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* makeIconButton(const char* name, int leftTwips, int icon);
  void forwardMouse(QMouseEvent* event, void (TraceView::*handler)(int, int, float, float));
  void setReadoutColour();

  const TraceRecord& record_;
  HeaderState& header_;
  ViewWindow& view_;
  const DecodedValues& decoded_;

  QImage canvas_;   // Picture3
  QImage picture_;  // Picture2
  PlotFrame frame_;
  QString scaleText_;
  std::int16_t backColourMode_ = 1;

  std::int32_t dragStartM_ = 0;
  std::int32_t dragEndM_ = 0;
  std::int32_t dragStartY_ = 0;
  std::int32_t cursorM_ = 0;
  bool dragging_ = false;

  QLabel* label4_ = nullptr;
  QLabel* picture4_ = nullptr;
  QLabel* picture5_ = nullptr;
  QLabel* picture6_ = nullptr;
};

}  // namespace tracelink
