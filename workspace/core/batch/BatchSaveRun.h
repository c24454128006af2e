#pragma once

#include <atomic>
#include <functional>
#include <vector>

namespace quillora::batch {

// What the progress dialog is told before an element starts: its index from
// 0, the number of elements, and how many were saved so far.
struct BatchProgress {
    int index = 0;
    int total = 0;
    int saved = 0;
};

// The bar's value for a progress record: index x 100 / total in whole
// numbers, 0 for an empty batch.
int ProgressPercent(const BatchProgress& progress);

// Elements not saved (a failed save, no photo, or never started because of
// a stop) count as failed: saved + failed is always the batch's size.
struct BatchOutcome {
    int saved = 0;
    int failed = 0;
};

// One element's save: composes and writes its picture, true when the file
// was written. It carries everything it needs by value.
using ElementSaveTask = std::function<bool()>;

// Threads a whole-batch save uses: one per core, at least one, at most
// one per element.
int BatchThreadCount(int elementCount);

// Saves the elements on a small pool of threads, one element per task,
// taken in list order. Threads: Run blocks its caller until every started
// element has finished; progress is called on the pool's threads, once per
// element that starts, in index order, before it starts. Stop rule: once
// stop reads true no element starts; the ones already started finish and
// count by their result. A null task counts as failed. With more than one
// thread, the pixel kernels of each element run on that element's thread
// alone (imaging::SerialKernels).
BatchOutcome RunBatchSave(const std::vector<ElementSaveTask>& tasks, int threadCount,
                          const std::atomic<bool>& stop,
                          const std::function<void(const BatchProgress&)>& progress);

}  // namespace quillora::batch
