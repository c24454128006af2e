#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "canvas/imaging/Parallel.h"
#include "workspace/core/batch/BatchSaveRun.h"

namespace quillora::batch {
namespace {

// Each task notes whether its kernels would stay on its own thread.
std::vector<ElementSaveTask> TasksNotingSerial(std::vector<int>& serial) {
    std::vector<ElementSaveTask> tasks;
    for (std::size_t i = 0; i < serial.size(); ++i) {
        tasks.push_back([&serial, i] {
            serial[i] = imaging::kernelsSerial() ? 1 : 0;
            return true;
        });
    }
    return tasks;
}

TEST(BatchSavePool, ElementKernelsStayOnTheirThreadOnlyOnAPool) {
    const std::atomic<bool> stop{false};
    std::vector<int> pooled(8, -1);
    EXPECT_EQ(RunBatchSave(TasksNotingSerial(pooled), 2, stop, nullptr).saved, 8);
    EXPECT_EQ(pooled, std::vector<int>(8, 1));
    // The calling thread is one of the pool's: it is serial no longer after.
    EXPECT_FALSE(imaging::kernelsSerial());

    // One at a time, an element's kernels keep every core.
    std::vector<int> single(5, -1);
    EXPECT_EQ(RunBatchSave(TasksNotingSerial(single), 1, stop, nullptr).saved, 5);
    EXPECT_EQ(single, std::vector<int>(5, 0));
}

}  // namespace
}  // namespace quillora::batch
