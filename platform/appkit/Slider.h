#pragma once
// NSSlider and NSSliderCell: a value in a range picked by dragging a knob along a bar. The cell
// maps between values and knob positions, tracks the mouse (a click on the bar moves the knob
// there, a drag on the knob keeps the grip), and draws the bar and the knob through two methods a
// subclass overrides to draw its own. A slider is continuous unless told otherwise: its action
// goes out at the mouse-down, at each drag and at the mouse-up.
#include "platform/appkit/Control.h"

namespace platform::appkit {

class NSSliderCell : public NSCell {
 public:
  NSSliderCell() { setContinuous(true); }

  double minValue() const { return min_; }
  double maxValue() const { return max_; }
  void setMinValue(double v);
  void setMaxValue(double v);
  double altIncrementValue() const { return altIncrement_; }
  void setAltIncrementValue(double v) { altIncrement_ = v; }
  // Held within the range.
  void setDoubleValue(double value) override;

  // Vertical when its frame is taller than wide.
  bool isVertical() const { return trackRect().size.height > trackRect().size.width; }
  // The frame the cell works in: the one last drawn or tracked in, else its control's bounds.
  NSRect trackRect() const;
  void setTrackRect(NSRect rect) { trackRect_ = rect; }
  // Length of the knob along the bar (and its breadth): the control size's, at most the frame's
  // breadth.
  double knobThickness() const;
  // Where the knob is drawn for the current value, in the control's coordinates.
  virtual NSRect knobRectFlipped(bool flipped) const;
  // The bar: the whole frame when the cell draws its own track image, else a thin groove along it.
  virtual NSRect barRectFlipped(bool flipped) const;
  // Value at a point of the control (the knob's centre there), clamped to the range.
  double valueForPoint(NSPoint point, bool flipped) const;

  // Drawing: the bar, then the knob. Subclasses draw their own by overriding these.
  virtual void drawKnob(NSRect knobRect);
  void drawKnob();
  virtual void drawBarInside(NSRect rect, bool flipped);
  virtual bool usesCustomTrackImage() const { return false; }
  void drawWithFrame(NSRect cellFrame, NSView* controlView) override;

  bool startTrackingAt(NSPoint point, NSControl* controlView) override;
  bool continueTracking(NSPoint lastPoint, NSPoint currentPoint, NSControl* controlView) override;

 private:
  double min_ = 0, max_ = 1;
  double altIncrement_ = 0;
  NSRect trackRect_;
  NSPoint grip_;  // mouse offset from the knob's centre at the mouse-down
};

class NSSlider : public NSControl {
 public:
  explicit NSSlider(NSRect frame = {});
  std::unique_ptr<NSCell> makeCell() const override { return std::make_unique<NSSliderCell>(); }
  // The cell as a slider cell; null when a cell of another kind was installed.
  NSSliderCell* sliderCell() { return dynamic_cast<NSSliderCell*>(cell()); }
  const NSSliderCell* sliderCell() const { return dynamic_cast<const NSSliderCell*>(cell()); }

  double minValue() const;
  double maxValue() const;
  void setMinValue(double v);
  void setMaxValue(double v);
  double altIncrementValue() const;
  void setAltIncrementValue(double v);
  bool isVertical() const { return frame().size.height > frame().size.width; }
  double knobThickness() const;

  void setFrame(NSRect frame) override;
  void drawRect(NSRect dirtyRect) override;
  void mouseDown(const NSEvent& event) override;
};

}  // namespace platform::appkit
