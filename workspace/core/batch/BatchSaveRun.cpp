#include "workspace/core/batch/BatchSaveRun.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

#include "canvas/imaging/Parallel.h"

namespace quillora::batch {

int ProgressPercent(const BatchProgress& progress) {
    if (progress.total <= 0) {
        return 0;
    }
    return static_cast<int>(static_cast<long long>(progress.index) * 100 / progress.total);
}

int BatchThreadCount(int elementCount) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp(elementCount, 1, cores);
}

BatchOutcome RunBatchSave(const std::vector<ElementSaveTask>& tasks, int threadCount,
                          const std::atomic<bool>& stop,
                          const std::function<void(const BatchProgress&)>& progress) {
    const int total = static_cast<int>(tasks.size());
    std::mutex mutex;
    int next = 0;   // guarded by mutex
    int saved = 0;  // guarded by mutex

    // Taking the next element and reporting it happen under one lock, so the
    // records arrive in index order and the stop flag is read just before an
    // element would start.
    const int threads = std::clamp(threadCount, 1, std::max(total, 1));
    // With one element per core, each element's kernels stay on its own
    // thread; spreading them too would only add hand-overs and make the
    // elements fight for the same cores. The written bytes do not change.
    const auto work = [&] {
        std::optional<imaging::SerialKernels> serial;
        if (threads > 1) {
            serial.emplace();
        }
        for (;;) {
            int index = 0;
            {
                std::lock_guard lock(mutex);
                if (next >= total || stop.load()) {
                    return;
                }
                index = next++;
                if (progress) {
                    progress({index, total, saved});
                }
            }
            const ElementSaveTask& task = tasks[static_cast<std::size_t>(index)];
            bool ok = false;
            try {
                ok = task && task();
            } catch (...) {
                ok = false;
            }
            if (ok) {
                std::lock_guard lock(mutex);
                ++saved;
            }
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(threads - 1));
    for (int i = 1; i < threads; ++i) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread& thread : pool) {
        thread.join();
    }
    return {saved, total - saved};
}

}  // namespace quillora::batch
