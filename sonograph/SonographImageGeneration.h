#pragma once
// How the sonograph draws its spectrum history: the pixel computation (standing alone, so that
// it can run without OpenGL) and its delivery as a rectangle texture on the host's context.
#include <array>
#include <vector>

#include "platform/composition/QCPlugInOutputImageProvider.h"
#include "platform/graphics/Geometry.h"

// The history: SAMPLE_FREQUENCIES rows (band 0, the lowest, first) of SAMPLE_COLUMNS columns
// (column 511 the newest); band k, column j at k × SAMPLE_COLUMNS + j.
constexpr int SAMPLE_FREQUENCIES = 16;
constexpr int SAMPLE_COLUMNS = 512;
using SonographHistory = std::array<double, SAMPLE_FREQUENCIES * SAMPLE_COLUMNS>;

// Colour algorithms, as the colour port's menu orders them. Any other value draws as Gray.
enum SonographColorAlgorithm : unsigned { kSonographRGB = 0, kSonographGray = 1 };

// (h degrees, s, v) to red, green, blue in out[0..2]; computed in double, stored as floats.
void toRGBf(double h, double s, double v, float* out);

// The width × height raster of a history: four floats a pixel (blue, green, red, alpha), rows
// from the bottom up, pixels left to right. `out` holds width × height × 4 floats.
void makeSonographRaster(const double* data, int width, int height, float gain, float red, float green, float blue,
                         double alpha, unsigned colorAlgorithm, float* out);

// A new GL_TEXTURE_RECTANGLE_ARB texture (GL_RGBA8, bounds' width × height truncated) holding
// the raster, or 0 when none could be made ("OpenGL error %04X" is logged on an OpenGL error).
// The host's context must be current. The texture fills with the raster whatever the bounds'
// origin, and the host context's state is as it was, apart from the new texture. `scratch`,
// when given, holds the raster between calls so that repeated images allocate nothing.
platform::composition::GLTextureName makeSonographImage(platform::composition::CGLContextObj context,
                                                        const platform::Rect& bounds, const double* data, float gain,
                                                        float red, float green, float blue, double alpha,
                                                        unsigned colorAlgorithm, std::vector<float>* scratch = nullptr);
