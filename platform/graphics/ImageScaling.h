#pragma once
// Resampling and drawing of images into images. Each axis is resampled on its own: area
// averaging where it shrinks (every source pixel weighted by how much of it a destination pixel
// covers), bilinear interpolation where it enlarges or keeps the size. Colours are averaged with
// alpha weighting, so transparent pixels do not darken their neighbours.
#include "platform/graphics/Image.h"

namespace platform::graphics {

// Rectangle in pixel units with the origin at the image's top-left corner, y down.
struct PixelRect {
  double x = 0, y = 0, width = 0, height = 0;
};

// The whole image resampled to width x height; an empty image when either is not positive.
Image scaledImage(const Image& source, int width, int height);

// Draws the whole source image into rect of destination, scaled to the rectangle, composited
// over what is there (source over). Destination pixels whose centres lie inside the rectangle
// are drawn; the rest are left alone. The destination gains alpha only if it had it or the
// source brings it.
void drawImage(Image& destination, const Image& source, const PixelRect& rect);

}  // namespace platform::graphics
