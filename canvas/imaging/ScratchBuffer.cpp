#include "canvas/imaging/ScratchBuffer.h"

#include <sys/mman.h>

#include <cstdlib>

namespace quillora::imaging {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kKeepLimit = size_t{64} << 20;

size_t roundUp(size_t value, size_t step) {
    return (value + step - 1) / step * step;
}

}  // namespace

ScratchBuffer::~ScratchBuffer() {
    std::free(data_);
}

void* ScratchBuffer::reserve(size_t bytes) {
    if (bytes <= size_) {
        return data_;
    }
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    const bool huge = bytes >= kHugePage;
    const size_t alignment = huge ? kHugePage : 64;
    const size_t size = roundUp(bytes, alignment);
    void* block = std::aligned_alloc(alignment, size);
    if (block == nullptr) {
        return nullptr;
    }
    if (huge) {
        // Only advice: without huge pages the block still works.
        madvise(block, size, MADV_HUGEPAGE);
    }
    data_ = block;
    size_ = size;
    return data_;
}

void ScratchBuffer::trim() {
    if (size_ > kKeepLimit) {
        std::free(data_);
        data_ = nullptr;
        size_ = 0;
    }
}

}  // namespace quillora::imaging
