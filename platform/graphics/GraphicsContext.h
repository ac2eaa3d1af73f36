#pragma once
// Graphics context over a Cairo surface: graphics state stack, clipping, transformation,
// colours, rectangle and path filling and stroking, shadings. Coordinates follow the platform:
// origin at the bottom-left, y up, unless the context is flipped (origin top-left, y down).
//
// Render targets: ImageSurface (in memory; read back as an Image or written as PNG) and, from the
// window layer, any Cairo surface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Shading.h"

typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo cairo_t;

namespace platform {

class BezierPath;

// A pixel surface in memory (premultiplied 32-bit pixels).
class ImageSurface {
 public:
  ImageSurface(int width, int height);
  ~ImageSurface();
  ImageSurface(const ImageSurface&) = delete;
  ImageSurface& operator=(const ImageSurface&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  bool valid() const { return surface_ != nullptr; }
  // The pixels as an image (straight alpha, rows top-down). hasAlpha is set when any pixel is
  // not opaque.
  Image image() const;
  bool writePNG(const std::string& path) const;
  cairo_surface_t* handle() const { return surface_; }
  // The premultiplied pixels (B, G, R, A bytes on this machine), rows top-down `stride` bytes
  // apart, with all drawing done; null for an invalid surface.
  const uint8_t* pixels() const;
  int stride() const;

 private:
  int width_, height_;
  cairo_surface_t* surface_ = nullptr;
};

// SourceOver blends; Copy replaces the destination's pixels (as the platform's rectangle fill does).
enum class CompositingOperation { SourceOver, Copy };

class GraphicsContext {
 public:
  // Draws into an image surface; the surface must outlive the context.
  explicit GraphicsContext(ImageSurface& surface, bool flipped = false);
  // Draws into any Cairo surface of the given height in pixels (window layer).
  GraphicsContext(cairo_surface_t* surface, int height, bool flipped);
  ~GraphicsContext();
  GraphicsContext(const GraphicsContext&) = delete;
  GraphicsContext& operator=(const GraphicsContext&) = delete;

  // The context drawing goes to: the innermost live CurrentScope, or null.
  static GraphicsContext* current();
  class CurrentScope {
   public:
    explicit CurrentScope(GraphicsContext& context);
    ~CurrentScope();
    CurrentScope(const CurrentScope&) = delete;
    CurrentScope& operator=(const CurrentScope&) = delete;

   private:
    GraphicsContext* previous_;
  };

  // Whether the coordinates that drawing uses now run top-down: the context's own at first; a view
  // system sets it for each view it draws (images and text are drawn upright either way).
  bool isFlipped() const { return flipped_; }
  void setFlipped(bool flipped) { flipped_ = flipped; }

  // Graphics state: transformation, clip, colours, line properties.
  void saveGraphicsState();
  void restoreGraphicsState();

  void clipToRect(const Rect& rect);
  void clipToPath(const BezierPath& path);  // with the path's own winding rule

  void translate(double dx, double dy);
  void scale(double sx, double sy);
  void rotateByDegrees(double degrees);
  void concat(const AffineTransform& transform);
  // The current transformation from user space to the context's base space.
  AffineTransform currentTransform() const;

  void setFillColor(const Color& color);
  void setStrokeColor(const Color& color);
  Color fillColor() const { return fill_.back(); }
  Color strokeColor() const { return stroke_.back(); }

  void fillRect(const Rect& rect, CompositingOperation operation = CompositingOperation::SourceOver);
  void fillPath(const BezierPath& path);
  void strokePath(const BezierPath& path);

  // Draws the whole image upright into rect (scaled, bilinear; area-averaged when shrinking by
  // Cairo's good filter), source over, with its alpha multiplied by fraction.
  void drawImage(const Image& image, const Rect& rect, double fraction = 1);
  // drawInRect:fromRect:operation:fraction: — the part `fromRect` of the image (in its own
  // coordinates: origin at its bottom-left, y up) drawn upright into rect, its edge pixels
  // repeated rather than faded when stretched; Copy replaces what lies beneath.
  void drawImage(const Image& image, const Rect& rect, const Rect& fromRect, CompositingOperation operation,
                 double fraction = 1);

  // Text in the toy font of the backend ("sans-serif"), upright, its baseline starting at `origin`.
  void drawText(const std::string& utf8, Point origin, double fontSize, bool bold = false);
  // Width of the text's advance and the font's ascent and descent, in the units drawText uses.
  struct TextMetrics {
    double width = 0, ascent = 0, descent = 0;
  };
  TextMetrics measureText(const std::string& utf8, double fontSize, bool bold = false) const;

  // Draws a surface's pixels upright into rect, source over, with its alpha multiplied by fraction.
  void drawSurface(const ImageSurface& surface, const Rect& rect, double fraction = 1);

  void drawShading(const AxialShading& shading);
  void drawShading(const RadialShading& shading);

  // Number of times the last drawShading called its function (for tests and benchmarks).
  size_t lastShadingEvaluations() const { return lastEvaluations_; }

  cairo_t* handle() const { return cr_; }

 private:
  void initialise(cairo_surface_t* surface, int height);
  void setSourceColor(const Color& color);
  void appendPath(const BezierPath& path);
  template <typename Shade>
  void paintShading(const ShadingFunction& function, double lengthInPixels, bool rowsRepeat, Shade shade);

  cairo_t* cr_ = nullptr;
  bool flipped_ = false;
  bool baseFlipped_ = false;  // the orientation the context was made with
  int height_ = 0;
  std::vector<Color> fill_{Color::blackColor()};
  std::vector<Color> stroke_{Color::blackColor()};
  size_t lastEvaluations_ = 0;
};

}  // namespace platform
