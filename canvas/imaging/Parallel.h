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

// While one lives on a thread, parallelFor calls made on that thread run
// every chunk on the thread itself. For work that is already spread over
// the cores one task per core (a batch of saves): kernels that spread out as
// well would only make the threads fight for the same cores. Chunking and
// parallelThreadCount stay as they are, so results do not change.
class SerialKernels {
public:
    SerialKernels();
    ~SerialKernels();
    SerialKernels(const SerialKernels&) = delete;
    SerialKernels& operator=(const SerialKernels&) = delete;

private:
    bool previous_;
};

// True while a SerialKernels lives on the calling thread.
bool kernelsSerial();

}  // namespace quillora::imaging
