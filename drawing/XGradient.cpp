#include "drawing/XGradient.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace drawing {

XGradientElement XGradientElement::none() {
  XGradientElement e;
  e.position = std::numeric_limits<float>::quiet_NaN();
  return e;
}

XGradient::XGradient() { commonInit(); }

XGradient::XGradient(const XGradient& other)
    : platform::Coding(other), std::enable_shared_from_this<XGradient>(), elements_(other.elements_) {
  setBlendingMode(other.blendingMode_);
}

XGradient& XGradient::operator=(const XGradient& other) {
  elements_ = other.elements_;
  setBlendingMode(other.blendingMode_);
  return *this;
}

void XGradient::commonInit() {
  elements_.clear();
  setBlendingMode(Linear);
}

bool XGradient::setBlendingMode(int mode) {
  switch (mode) {
    case Linear: evaluator_ = &XGradient::linearEvaluation; break;
    case Chromatic: evaluator_ = &XGradient::chromaticEvaluation; break;
    case InverseChromatic: evaluator_ = &XGradient::inverseChromaticEvaluation; break;
    default: return false;  // no evaluation rule for other values: refused
  }
  blendingMode_ = mode;
  return true;
}

void XGradient::addElement(const XGradientElement& element) {
  // Before the first stop when the list is empty or the first stop lies further on; otherwise
  // after the stop s where the walk stops: new >= s.position and s.next.position > new, or the
  // last stop. Equal positions therefore keep their insertion order.
  const float p = element.position;
  if (elements_.empty() || elements_.front().position > p) {
    elements_.insert(elements_.begin(), element);
    return;
  }
  size_t s = 0;
  while (s + 1 < elements_.size() && !(p >= elements_[s].position && elements_[s + 1].position > p)) ++s;
  elements_.insert(elements_.begin() + std::ptrdiff_t(s + 1), element);
}

XGradientElement XGradient::removeElementAtIndex(unsigned index) {
  if (index >= elements_.size()) return XGradientElement::none();
  XGradientElement removed = elements_[index];
  elements_.erase(elements_.begin() + index);
  return removed;
}

XGradientElement XGradient::removeElementAtPosition(float position) {
  for (auto it = elements_.begin(); it != elements_.end(); ++it)
    if (it->position == position) {
      XGradientElement removed = *it;
      elements_.erase(it);
      return removed;
    }
  return XGradientElement::none();
}

const XGradientElement* XGradient::elementAtIndex(unsigned index) const {
  return index < elements_.size() ? &elements_[index] : nullptr;
}

XGradientElement XGradient::elementWithGray(float gray, float alpha, float position) {
  return {gray, gray, gray, alpha, position};
}

XGradientElement XGradient::elementWithColor(const Color& color, float position) {
  const Color c = *color.usingColorSpace(platform::ColorSpace::CalibratedRGB);
  return {float(c.redComponent()), float(c.greenComponent()), float(c.blueComponent()), float(c.alphaComponent()),
          position};
}

std::shared_ptr<XGradient> XGradient::gradientWithBeginningColor(const Color& begin, const Color& end) {
  auto g = gradient();
  g->addElement(elementWithColor(begin, 0));
  g->addElement(elementWithColor(end, 1));
  return g;
}

std::shared_ptr<XGradient> XGradient::gradientWithAlphaComponent(float alpha) const {
  auto g = gradient();  // linear, whatever the receiver's mode
  for (XGradientElement e : elements_) {
    e.alpha = alpha;
    g->addElement(e);
  }
  return g;
}

std::shared_ptr<XGradient> XGradient::gradientWithBlendingMode(int mode) const {
  auto g = copy();
  g->setBlendingMode(mode);
  return g;
}

std::shared_ptr<XGradient> XGradient::addColorStop(const Color& color, float position) const {
  auto g = copy();
  g->addElement(elementWithColor(color, position));
  return g;
}

namespace {
std::string indexReason(unsigned index) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "-[XGradient removeColorStopAtIndex:]: index (%i) beyond bounds", int(index));
  return buffer;
}
}  // namespace

std::shared_ptr<XGradient> XGradient::removeColorStopAtPosition(float position) const {
  auto g = copy();
  if (g->removeElementAtPosition(position).isNone()) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "-[XGradient removeColorStopAtPosition:]: no such colorStop at position (%f)",
                  double(position));
    throw RangeException(buffer);
  }
  return g;
}

std::shared_ptr<XGradient> XGradient::removeColorStopAtIndex(unsigned index) const {
  auto g = copy();
  if (g->removeElementAtIndex(index).isNone()) throw RangeException(indexReason(index));
  return g;
}

Color XGradient::colorStopAtIndex(unsigned index) const {
  const XGradientElement* e = elementAtIndex(index);
  if (!e) throw RangeException(indexReason(index));
  return Color::calibratedRGB(e->red, e->green, e->blue, e->alpha);
}

Color XGradient::colorAtPosition(float position) const {
  float rgba[4];
  (this->*evaluator_)(position, rgba);
  return Color::calibratedRGB(rgba[0], rgba[1], rgba[2], rgba[3]);
}

platform::ShadingFunction XGradient::gradientFunction() const {
  return [this](double position, float rgba[4]) { (this->*evaluator_)(float(position), rgba); };
}

}  // namespace drawing
