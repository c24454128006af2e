#include "canvas/imaging/CpuFeatures.h"

#include <atomic>

namespace quillora::imaging {

namespace {

std::atomic<bool> avx2Allowed{true};

}  // namespace

bool avx2Enabled() {
    static const bool present = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return present && avx2Allowed.load(std::memory_order_relaxed);
}

void setAvx2Allowed(bool allowed) {
    avx2Allowed.store(allowed, std::memory_order_relaxed);
}

}  // namespace quillora::imaging
