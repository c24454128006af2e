#pragma once

namespace quillora::imaging {

// True when the AVX2 (with FMA) builds of the pixel kernels may run: the
// processor has these instructions and they have not been turned off.
bool avx2Enabled();

// Turns the AVX2 kernels off or back on for the whole process, so that the
// baseline kernels can be checked on a machine that has AVX2.
void setAvx2Allowed(bool allowed);

}  // namespace quillora::imaging
