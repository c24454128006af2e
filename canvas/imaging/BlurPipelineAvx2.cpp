#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "canvas/imaging/BlurPipeline.h"

// Everything defined below is compiled for AVX2 and FMA; it runs only where the
// processor has it (see gaussianBlur).
#pragma GCC target("avx2,fma")

#define QUILLORA_BLUR_VECTOR_BYTES 32
#define QUILLORA_BLUR_ENTRY runBandAvx2
#include "canvas/imaging/BlurPipeline.inc"
