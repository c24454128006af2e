#pragma once

#include <condition_variable>
#include <limits>
#include <mutex>

namespace quillora::service {

// Lets at most `places` callers compute at once; the others wait their turn.
// Cut-outs are heavy, so eight requests arriving together are worked through
// a few at a time instead of all fighting for the same two cores and memory.
// At most `maxWaiting` callers wait; one more is turned away at once (its
// Pass is not admitted), so a flood of requests costs no more memory than
// the bound allows.
class ComputeGate {
public:
    static constexpr int kUnbounded = std::numeric_limits<int>::max();

    explicit ComputeGate(int places, int maxWaiting = kUnbounded)
        : free_(places < 1 ? 1 : places), maxWaiting_(maxWaiting < 0 ? 0 : maxWaiting) {}

    class Pass {
    public:
        explicit Pass(ComputeGate& gate) : gate_(gate), admitted_(gate_.Enter()) {}
        ~Pass() {
            if (admitted_) {
                gate_.Leave();
            }
        }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

        // False when the gate was full and this caller must not compute.
        bool Admitted() const { return admitted_; }

    private:
        ComputeGate& gate_;
        bool admitted_;
    };

    // Callers waiting for a place right now.
    int Waiting() {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    bool Enter() {
        std::unique_lock lock(mutex_);
        if (free_ == 0 && waiting_ >= maxWaiting_) {
            return false;
        }
        ++waiting_;
        changed_.wait(lock, [this] { return free_ > 0; });
        --waiting_;
        --free_;
        return true;
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
    int waiting_ = 0;
    int maxWaiting_;
};

}  // namespace quillora::service
