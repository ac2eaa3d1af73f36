#pragma once
// vDSP-style vector helpers on 32-bit floats, unit stride. No dependencies (also built for i386).
#include <cstddef>

namespace platform::vdsp {

// vDSP_meamgv: mean of the absolute values; 0 for an empty vector.
float meanMagnitude(const float* values, size_t count);
// vDSP_meanv: mean of the values; 0 for an empty vector.
float mean(const float* values, size_t count);
// vDSP_maxv / vDSP_minv: largest / smallest value; -infinity / +infinity for an empty vector.
float maximum(const float* values, size_t count);
float minimum(const float* values, size_t count);

}  // namespace platform::vdsp
