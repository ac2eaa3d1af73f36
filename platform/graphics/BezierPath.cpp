#include "BezierPath.h"

#include <bit>
#include <cstring>

namespace platform {
namespace {

// Unarchiving finds the class by name; registered when this file is linked in.
const bool kRegistered = KeyedUnarchiver::registerClass(
    "NSBezierPath", [](Coder& coder) -> std::shared_ptr<Coding> { return BezierPath::initWithCoder(coder); });

void appendBigEndian(PlistData& out, double value) {
  uint64_t bits = std::bit_cast<uint64_t>(value);
  for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

double readBigEndian(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = (bits << 8) | p[i];
  return std::bit_cast<double>(bits);
}

int pointsFor(PathElementType type) {
  switch (type) {
    case PathElementType::MoveTo:
    case PathElementType::LineTo:
      return 1;
    case PathElementType::CurveTo:
      return 3;
    case PathElementType::ClosePath:
      return 0;
  }
  return 0;
}

}  // namespace

int PathElement::pointCount() const { return pointsFor(type); }

void BezierPath::moveToPoint(Point p) {
  subpathStart_ = elements_.size();
  elements_.push_back(PathElement{PathElementType::MoveTo, {p, {}, {}}});
}

void BezierPath::startSubpathIfNeeded(Point p) {
  if (elements_.empty())
    moveToPoint(p);
  else if (elements_.back().type == PathElementType::ClosePath)
    moveToPoint(elements_[subpathStart_].points[0]);  // drawing on after a close starts where it closed
}

void BezierPath::lineToPoint(Point p) {
  if (elements_.empty()) {
    moveToPoint(p);
    return;
  }
  startSubpathIfNeeded(p);
  elements_.push_back(PathElement{PathElementType::LineTo, {p, {}, {}}});
}

void BezierPath::curveToPoint(Point end, Point controlPoint1, Point controlPoint2) {
  startSubpathIfNeeded(controlPoint1);
  elements_.push_back(PathElement{PathElementType::CurveTo, {controlPoint1, controlPoint2, end}});
}

void BezierPath::closePath() {
  if (elements_.empty() || elements_.back().type == PathElementType::ClosePath) return;
  elements_.push_back(PathElement{PathElementType::ClosePath, {}});
}

void BezierPath::removeAllPoints() {
  elements_.clear();
  subpathStart_ = 0;
}

void BezierPath::appendBezierPath(const BezierPath& other) {
  if (other.elements_.empty()) return;
  size_t base = elements_.size();
  elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
  subpathStart_ = base + other.subpathStart_;
}

std::optional<Point> BezierPath::currentPoint() const {
  if (elements_.empty()) return std::nullopt;
  const PathElement& last = elements_.back();
  switch (last.type) {
    case PathElementType::MoveTo:
    case PathElementType::LineTo:
      return last.points[0];
    case PathElementType::CurveTo:
      return last.points[2];
    case PathElementType::ClosePath:
      break;
  }
  if (subpathStart_ < elements_.size()) return elements_[subpathStart_].points[0];
  return std::nullopt;
}

bool BezierPath::operator==(const BezierPath& o) const {
  return elements_ == o.elements_ && lineWidth_ == o.lineWidth_ && lineJoinStyle_ == o.lineJoinStyle_ &&
         lineCapStyle_ == o.lineCapStyle_ && flatness_ == o.flatness_ && miterLimit_ == o.miterLimit_ &&
         windingRule_ == o.windingRule_;
}

PlistData BezierPath::encodeSegments(const std::vector<PathElement>& elements) {
  PlistData out;
  out.reserve(elements.size() * 17);
  for (const auto& e : elements) {
    out.push_back(static_cast<uint8_t>(e.type));
    for (int i = 0; i < e.pointCount(); ++i) {
      appendBigEndian(out, e.points[i].x);
      appendBigEndian(out, e.points[i].y);
    }
  }
  return out;
}

std::optional<std::vector<PathElement>> BezierPath::decodeSegments(const PlistData& bytes, int64_t count) {
  if (count < 0 || static_cast<uint64_t>(count) > bytes.size()) return std::nullopt;
  std::vector<PathElement> elements;
  elements.reserve(static_cast<size_t>(count));
  size_t pos = 0;
  while (pos < bytes.size()) {
    uint8_t type = bytes[pos++];
    if (type > 3) return std::nullopt;
    PathElement e;
    e.type = static_cast<PathElementType>(type);
    int n = e.pointCount();
    if (bytes.size() - pos < static_cast<size_t>(n) * 16) return std::nullopt;
    for (int i = 0; i < n; ++i) {
      e.points[i] = Point{readBigEndian(&bytes[pos]), readBigEndian(&bytes[pos + 8])};
      pos += 16;
    }
    elements.push_back(e);
  }
  if (static_cast<int64_t>(elements.size()) != count) return std::nullopt;
  return elements;
}

void BezierPath::encodeWithCoder(Coder& coder) const {
  coder.encodeDouble(lineWidth_, "NSLineWidth");
  coder.encodeInt(static_cast<int64_t>(elements_.size()), "NSSegmentCount");
  coder.encodeBytes(encodeSegments(elements_), "NSSegments");
  if (lineJoinStyle_ != LineJoinStyle::Miter) coder.encodeInt(static_cast<int64_t>(lineJoinStyle_), "NSLineJoinStyle");
  if (lineCapStyle_ != LineCapStyle::Butt) coder.encodeInt(static_cast<int64_t>(lineCapStyle_), "NSLineCapStyle");
  if (flatness_ != kDefaultFlatness) coder.encodeDouble(flatness_, "NSFlatness");
  if (miterLimit_ != kDefaultMiterLimit) coder.encodeDouble(miterLimit_, "NSMiterLimit");
  if (windingRule_ != WindingRule::NonZero) coder.encodeInt(static_cast<int64_t>(windingRule_), "NSWindingRule");
}

std::shared_ptr<BezierPath> BezierPath::initWithCoder(Coder& coder) {
  (void)kRegistered;
  if (!coder.allowsKeyedCoding()) return nullptr;
  auto elements = decodeSegments(coder.decodeBytes("NSSegments"), coder.decodeInt("NSSegmentCount"));
  if (!elements) return nullptr;
  auto path = std::make_shared<BezierPath>();
  path->elements_ = std::move(*elements);
  for (size_t i = path->elements_.size(); i-- > 0;) {
    if (path->elements_[i].type == PathElementType::MoveTo) {
      path->subpathStart_ = i;
      break;
    }
  }
  path->lineWidth_ = coder.containsValueForKey("NSLineWidth") ? coder.decodeDouble("NSLineWidth") : kDefaultLineWidth;
  auto enumValue = [&](const char* key, int64_t max) -> int64_t {
    int64_t v = coder.decodeInt(key);
    return v >= 0 && v <= max ? v : 0;
  };
  path->lineJoinStyle_ = static_cast<LineJoinStyle>(enumValue("NSLineJoinStyle", 2));
  path->lineCapStyle_ = static_cast<LineCapStyle>(enumValue("NSLineCapStyle", 2));
  path->windingRule_ = static_cast<WindingRule>(enumValue("NSWindingRule", 1));
  if (coder.containsValueForKey("NSFlatness")) path->flatness_ = coder.decodeDouble("NSFlatness");
  if (coder.containsValueForKey("NSMiterLimit")) path->miterLimit_ = coder.decodeDouble("NSMiterLimit");
  return path;
}

}  // namespace platform
