#pragma once
// Camera backdrop: a screen-filling translucent quad with a colour per corner, drawn before the
// scene under the identity view transform; it also walks the clear colour round the hue circle.
#include <optional>
#include <string>

#include "quarn/QuarnTypes.h"

class QuarnLayer2D {
 public:
  // 400 × 300, reseeds random() from the clock and picks random corner hues.
  QuarnLayer2D();

  // Recomputes the corners for a viewport of that size.
  void setSize(QuarnSize size);
  QuarnSize size() const { return size_; }
  // Size factor from a field of view in degrees; the corners follow at the next setSize.
  void setViewAngle(float fieldOfView);
  float viewAngle() const { return viewAngle_; }
  void setDepth(float depth);
  float depth() const { return depth_; }
  // Throws std::out_of_range outside 0 … 3.
  void setColor(int index, const QuarnColor& color);
  // Null and "illegal colorList index" outside 0 … 3.
  std::optional<QuarnColor> getColor(int index) const;
  void randomiseColors();
  // Next hue (one degree), sent as the clear colour.
  void cycleBGColor();
  // Draws unlit without depth testing, then restores both as they were.
  void drawQuad();
  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }

  int bgHue() const { return bgHue_; }
  // Corner i as x, y, z; throws std::out_of_range outside 0 … 3.
  const float* vertex(int index) const;

 protected:
  float colors_[4][4] = {};
  float verts_[4][3] = {};
  float depth_ = 1.01f;
  float viewAngle_ = 1.0f;
  QuarnSize size_{400, 300};
  bool built_ = false;
  int bgHue_ = 0;
  std::string name_ = "New 2D-layer";
};
