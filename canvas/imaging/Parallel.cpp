#include "canvas/imaging/Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quillora::imaging {

namespace {

struct Job {
    const std::function<void(int)>* body = nullptr;
    int chunkCount = 0;
    std::atomic<int> next{0};
    std::atomic<int> unfinished{0};
    std::atomic<bool> failed{false};
    std::mutex doneMutex;
    std::condition_variable done;

    // Takes and runs chunks until none is left to take.
    void work() {
        for (int chunk = next.fetch_add(1); chunk < chunkCount; chunk = next.fetch_add(1)) {
            try {
                (*body)(chunk);
            } catch (...) {
                failed = true;
            }
            if (unfinished.fetch_sub(1) == 1) {
                std::lock_guard lock(doneMutex);
                done.notify_all();
            }
        }
    }
};

class Pool {
public:
    Pool() {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 1; i < cores; ++i) {
            workers_.emplace_back([this] { run(); });
        }
    }

    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_) {
            worker.join();
        }
    }

    int threadCount() const { return static_cast<int>(workers_.size()) + 1; }

    void post(const std::shared_ptr<Job>& job) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(job);
        }
        wake_.notify_all();
    }

private:
    void run() {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
                if (stopping_) {
                    return;
                }
                job = queue_.front();
                // A job whose chunks are all taken leaves the queue; its
                // caller waits for the chunks still running.
                if (job->next.load() >= job->chunkCount) {
                    queue_.pop_front();
                    continue;
                }
            }
            job->work();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    std::vector<std::thread> workers_;
    bool stopping_ = false;
};

thread_local bool serialKernels = false;

Pool& pool() {
    static Pool instance;
    return instance;
}

}  // namespace

int parallelThreadCount() {
    return pool().threadCount();
}

bool parallelFor(int chunkCount, const std::function<void(int chunk)>& body) {
    if (chunkCount <= 0) {
        return true;
    }
    auto job = std::make_shared<Job>();
    job->body = &body;
    job->chunkCount = chunkCount;
    job->unfinished = chunkCount;
    if (chunkCount > 1 && !serialKernels && pool().threadCount() > 1) {
        pool().post(job);
    }
    job->work();
    std::unique_lock lock(job->doneMutex);
    job->done.wait(lock, [&] { return job->unfinished.load() == 0; });
    return !job->failed.load();
}

SerialKernels::SerialKernels() : previous_(serialKernels) {
    serialKernels = true;
}

SerialKernels::~SerialKernels() {
    serialKernels = previous_;
}

bool kernelsSerial() {
    return serialKernels;
}

}  // namespace quillora::imaging
