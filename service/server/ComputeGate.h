#pragma once

#include <condition_variable>
#include <mutex>

namespace quillora::service {

// Lets at most `places` callers compute at once; the others wait their turn.
// Cut-outs are heavy, so eight requests arriving together are worked through
// a few at a time instead of all fighting for the same two cores and memory.
class ComputeGate {
public:
    explicit ComputeGate(int places) : free_(places < 1 ? 1 : places) {}

    class Pass {
    public:
        explicit Pass(ComputeGate& gate) : gate_(gate) { gate_.Enter(); }
        ~Pass() { gate_.Leave(); }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

    private:
        ComputeGate& gate_;
    };

private:
    void Enter() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return free_ > 0; });
        --free_;
    }
    void Leave() {
        {
            std::lock_guard lock(mutex_);
            ++free_;
        }
        changed_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    int free_;
};

}  // namespace quillora::service
