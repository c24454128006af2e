#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <mutex>

namespace quillora {

// The lock and wake-up that a group of events shares, so that one thread can
// wait on several of them at once.
struct EventLock {
    std::mutex mutex;
    std::condition_variable changed;
};

// An event that stays set until it is reset: every waiter wakes while it is
// set, not only one. Safe to use from any thread. Events made with the same
// EventLock can be waited on together with WaitForAny.
class ManualResetEvent {
public:
    explicit ManualResetEvent(std::shared_ptr<EventLock> lock = std::make_shared<EventLock>());
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    void Wait();
    // False when the time ran out before the event was set.
    bool WaitFor(std::chrono::milliseconds timeout);

    const std::shared_ptr<EventLock>& lock() const { return lock_; }

private:
    friend std::size_t WaitForAny(std::initializer_list<ManualResetEvent*> events);

    std::shared_ptr<EventLock> lock_;
    bool set_ = false;  // guarded by lock_->mutex
};

// Blocks until one of the events is set and returns the index of the first
// set one in list order. All events must share one EventLock.
std::size_t WaitForAny(std::initializer_list<ManualResetEvent*> events);

}  // namespace quillora
