#pragma once

#include <cstddef>

namespace quillora::imaging {

// A grow-only block of working memory kept between calls. Faulting in fresh
// pages costs more than many kernels themselves, so each thread keeps its
// block; large blocks ask the kernel for transparent huge pages.
class ScratchBuffer {
public:
    ScratchBuffer() = default;
    ~ScratchBuffer();
    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;

    // At least bytes of 64-byte aligned memory (not cleared), or
    // nullptr when memory runs out.
    void* reserve(size_t bytes);
    // Gives back a block above the size worth keeping between calls.
    void trim();

private:
    void* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace quillora::imaging
