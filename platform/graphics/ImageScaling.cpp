#include "platform/graphics/ImageScaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// Weights of the source samples for one destination sample along one axis.
struct Tap {
  int first = 0;             // first source index
  std::vector<float> weights;  // sum 1
};

// Destination sample i (of count) covers [start + i * step, start + (i + 1) * step) in source
// coordinates, step = sourceLength / destinationLength (source pixels per destination pixel).
std::vector<Tap> axisTaps(int sourceCount, double sourceStart, double step, int count) {
  std::vector<Tap> taps(size_t(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    Tap& tap = taps[size_t(i)];
    if (step > 1.0) {
      // Area average over the footprint, clipped to the source.
      double a = std::clamp(sourceStart + i * step, 0.0, double(sourceCount));
      double b = std::clamp(sourceStart + (i + 1) * step, 0.0, double(sourceCount));
      int first = std::min(int(std::floor(a)), sourceCount - 1);
      int last = std::max(std::min(int(std::ceil(b)) - 1, sourceCount - 1), first);
      tap.first = first;
      double total = 0;
      for (int s = first; s <= last; ++s) {
        double w = std::min(b, s + 1.0) - std::max(a, double(s));
        if (w < 0) w = 0;
        tap.weights.push_back(float(w));
        total += w;
      }
      if (total <= 0) {
        tap.weights.assign(1, 1.0f);
        continue;
      }
      for (float& w : tap.weights) w = float(w / total);
    } else {
      // Bilinear: sample at the destination pixel's centre, edges clamped.
      double c = sourceStart + (i + 0.5) * step - 0.5;
      c = std::clamp(c, 0.0, double(sourceCount - 1));
      int s0 = int(std::floor(c));
      double f = c - s0;
      tap.first = s0;
      if (s0 + 1 < sourceCount && f > 0) {
        tap.weights = {float(1 - f), float(f)};
      } else {
        tap.weights = {1.0f};
      }
    }
  }
  return taps;
}

// Resamples source into a premultiplied float buffer of size count.x * count.y, where
// destination pixel (i, j) covers source [x0 + i*sx, ...) horizontally and [y0 + j*sy, ...)
// vertically.
std::vector<float> resamplePremultiplied(const Image& source, double x0, double sx, int countX, double y0,
                                         double sy, int countY) {
  const int W = source.width(), H = source.height();
  auto tx = axisTaps(W, x0, sx, countX);
  auto ty = axisTaps(H, y0, sy, countY);
  // Horizontal pass over every source row that some vertical tap reads.
  int rowLo = H, rowHi = -1;
  for (auto& t : ty) {
    rowLo = std::min(rowLo, t.first);
    rowHi = std::max(rowHi, t.first + int(t.weights.size()) - 1);
  }
  std::vector<float> horizontal(size_t(std::max(rowHi - rowLo + 1, 0)) * size_t(countX) * 4);
  for (int y = rowLo; y <= rowHi; ++y) {
    const uint8_t* row = source.row(y);
    float* out = horizontal.data() + size_t(y - rowLo) * size_t(countX) * 4;
    for (int i = 0; i < countX; ++i) {
      float r = 0, g = 0, b = 0, a = 0;
      const Tap& t = tx[size_t(i)];
      for (size_t k = 0; k < t.weights.size(); ++k) {
        const uint8_t* p = row + size_t(t.first + int(k)) * 4;
        float wa = t.weights[k] * p[3];
        r += wa * p[0];
        g += wa * p[1];
        b += wa * p[2];
        a += wa;
      }
      out[i * 4] = r;
      out[i * 4 + 1] = g;
      out[i * 4 + 2] = b;
      out[i * 4 + 3] = a;
    }
  }
  std::vector<float> result(size_t(countX) * size_t(countY) * 4, 0.0f);
  for (int j = 0; j < countY; ++j) {
    const Tap& t = ty[size_t(j)];
    float* out = result.data() + size_t(j) * size_t(countX) * 4;
    for (size_t k = 0; k < t.weights.size(); ++k) {
      const float* in = horizontal.data() + size_t(t.first + int(k) - rowLo) * size_t(countX) * 4;
      const float w = t.weights[k];
      for (int i = 0; i < countX * 4; ++i) out[i] += w * in[i];
    }
  }
  return result;  // colour premultiplied by alpha in 0..255, both in 0..255 units (colour x 255)
}

inline uint8_t toByte(float v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

Image scaledImage(const Image& source, int width, int height) {
  if (source.empty() || !Image::sizeIsAcceptable(width, height)) return Image();
  Image out(width, height, {}, source.hasAlpha());
  drawImage(out, source, {0, 0, double(width), double(height)});
  return out;
}

namespace {

// Source over destination, pixel for pixel: (x0, y0) in the destination takes (sx0, sy0) of the
// source. Opaque pixels are copied, clear ones leave the destination.
void drawUnscaled(Image& destination, const Image& source, int x0, int y0, int sx0, int sy0, int countX,
                  int countY) {
  for (int j = 0; j < countY; ++j) {
    uint8_t* d = destination.row(y0 + j) + size_t(x0) * 4;
    const uint8_t* s = source.row(sy0 + j) + size_t(sx0) * 4;
    for (int i = 0; i < countX; ++i, d += 4, s += 4) {
      const int a = s[3];
      if (a == 255) {
        std::memcpy(d, s, 4);
      } else if (a > 0) {
        const float sa = a / 255.0f, da = d[3] / 255.0f;
        const float oa = sa + da * (1 - sa), k = da * (1 - sa);
        for (int c = 0; c < 3; ++c) d[c] = toByte((s[c] * sa + d[c] * k) / oa);
        d[3] = toByte(oa * 255);
      }
    }
  }
  if (source.hasAlpha()) destination.setHasAlpha(true);
}

}  // namespace

void drawImage(Image& destination, const Image& source, const PixelRect& rect) {
  if (source.empty() || destination.empty()) return;
  if (!(rect.width > 0) || !(rect.height > 0) || !std::isfinite(rect.x) || !std::isfinite(rect.y) ||
      !std::isfinite(rect.width) || !std::isfinite(rect.height))
    return;
  // Destination pixels whose centres lie inside the rectangle.
  const double fx0 = std::ceil(rect.x - 0.5), fx1 = std::ceil(rect.x + rect.width - 0.5);
  const double fy0 = std::ceil(rect.y - 0.5), fy1 = std::ceil(rect.y + rect.height - 0.5);
  const int x0 = int(std::max(fx0, 0.0)), x1 = int(std::min(fx1, double(destination.width())));
  const int y0 = int(std::max(fy0, 0.0)), y1 = int(std::min(fy1, double(destination.height())));
  if (x0 >= x1 || y0 >= y1) return;
  const int countX = x1 - x0, countY = y1 - y0;
  if (rect.width == source.width() && rect.height == source.height() && rect.x == fx0 && rect.y == fy0) {
    drawUnscaled(destination, source, x0, y0, x0 - int(fx0), y0 - int(fy0), countX, countY);
    return;
  }
  const double sx = source.width() / rect.width, sy = source.height() / rect.height;
  auto buffer = resamplePremultiplied(source, (x0 - rect.x) * sx, sx, countX, (y0 - rect.y) * sy, sy, countY);
  for (int j = 0; j < countY; ++j) {
    uint8_t* d = destination.row(y0 + j) + size_t(x0) * 4;
    const float* s = buffer.data() + size_t(j) * size_t(countX) * 4;
    for (int i = 0; i < countX; ++i, d += 4, s += 4) {
      const float a = s[3];  // 0..255
      if (a <= 0) continue;
      const float sr = s[0] / a, sg = s[1] / a, sb = s[2] / a;  // straight colour 0..255
      const float sa = a / 255.0f;
      if (sa >= 0.999f) {
        d[0] = toByte(sr), d[1] = toByte(sg), d[2] = toByte(sb), d[3] = 255;
        continue;
      }
      const float da = d[3] / 255.0f;
      const float oa = sa + da * (1 - sa);
      const float k = da * (1 - sa);
      d[0] = toByte((sr * sa + d[0] * k) / oa);
      d[1] = toByte((sg * sa + d[1] * k) / oa);
      d[2] = toByte((sb * sa + d[2] * k) / oa);
      d[3] = toByte(oa * 255);
    }
  }
  if (source.hasAlpha()) destination.setHasAlpha(true);
}

}  // namespace platform
