#pragma once
// What a core asks of the view that drives it. The windowed view implements it; a core used
// off-screen has none.
class QuarnCore;

class QuarnViewLink {
 public:
  virtual ~QuarnViewLink() = default;
  virtual bool suspended() const = 0;
  virtual void setSuspended(bool flag) = 0;
  // Hides the inspector window when it is visible, otherwise shows it with this core.
  virtual void toggleInspectorWindow(QuarnCore& core) = 0;
};
