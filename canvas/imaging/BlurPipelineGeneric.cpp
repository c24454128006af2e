#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "canvas/imaging/BlurPipeline.h"

#define QUILLORA_BLUR_VECTOR_BYTES 16
#define QUILLORA_BLUR_ENTRY runBandGeneric
#include "canvas/imaging/BlurPipeline.inc"
