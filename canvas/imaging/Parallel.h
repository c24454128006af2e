#pragma once

#include <functional>

// A small pool of worker threads for the pixel kernels. The calling thread
// always works too, taking chunks until none is left, so a call never waits
// for a busy pool and kernels may be called from any thread, including from
// inside another parallel call.
namespace quillora::imaging {

// Threads that take part in a parallel call (the pool's workers plus the
// caller); at least 1.
int parallelThreadCount();

// Runs body(chunk) for every chunk in [0, chunkCount), spread over the pool
// and the caller, and returns once all have run. A chunk that throws makes
// the call return false (the other chunks still run).
bool parallelFor(int chunkCount, const std::function<void(int chunk)>& body);

}  // namespace quillora::imaging
