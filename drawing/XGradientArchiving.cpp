// Keyed archive form: per stop five unkeyed floats (red, green, blue, alpha, position), then
// "XGradientElementCount" and "XGradientBlendingMode".
#include "drawing/XGradient.h"

namespace drawing {
namespace {

const bool kRegistered = platform::KeyedUnarchiver::registerClass(
    "XGradient", [](platform::Coder& coder) -> std::shared_ptr<platform::Coding> { return XGradient::initWithCoder(coder); });

// More stops than any ramp needs; a larger count marks a damaged archive.
constexpr int64_t kMaxArchivedStops = 1 << 16;

}  // namespace

void XGradient::encodeWithCoder(platform::Coder& coder) const {
  if (!coder.allowsKeyedCoding())
    throw platform::InvalidArchiveOperationException("Only supports NSKeyedArchiver coders");
  for (const XGradientElement& e : elements_) {
    coder.encodeFloat(e.red);
    coder.encodeFloat(e.green);
    coder.encodeFloat(e.blue);
    coder.encodeFloat(e.alpha);
    coder.encodeFloat(e.position);
  }
  coder.encodeInt(int64_t(elements_.size()), "XGradientElementCount");
  coder.encodeInt(blendingMode_, "XGradientBlendingMode");
}

std::shared_ptr<XGradient> XGradient::initWithCoder(platform::Coder& coder) {
  (void)kRegistered;
  if (!coder.allowsKeyedCoding())
    throw platform::InvalidArchiveOperationException("Only supports NSKeyedArchiver coders");
  auto g = gradient();
  g->commonInit();
  g->setBlendingMode(int(coder.decodeInt("XGradientBlendingMode")));
  const int64_t count = coder.decodeInt("XGradientElementCount");
  if (count < 0 || count > kMaxArchivedStops) return nullptr;
  for (int64_t i = 0; i < count; ++i) {
    XGradientElement e;
    e.red = coder.decodeFloat();
    e.green = coder.decodeFloat();
    e.blue = coder.decodeFloat();
    e.alpha = coder.decodeFloat();
    e.position = coder.decodeFloat();
    g->addElement(e);
  }
  return g;
}

}  // namespace drawing
