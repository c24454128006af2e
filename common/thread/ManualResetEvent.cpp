#include "common/thread/ManualResetEvent.h"

namespace quillora {

ManualResetEvent::ManualResetEvent(std::shared_ptr<EventLock> lock) : lock_(std::move(lock)) {}

void ManualResetEvent::Set() {
    {
        const std::lock_guard guard(lock_->mutex);
        set_ = true;
    }
    lock_->changed.notify_all();
}

void ManualResetEvent::Reset() {
    const std::lock_guard guard(lock_->mutex);
    set_ = false;
}

bool ManualResetEvent::IsSet() const {
    const std::lock_guard guard(lock_->mutex);
    return set_;
}

void ManualResetEvent::Wait() {
    std::unique_lock guard(lock_->mutex);
    lock_->changed.wait(guard, [this] { return set_; });
}

bool ManualResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock guard(lock_->mutex);
    return lock_->changed.wait_for(guard, timeout, [this] { return set_; });
}

std::size_t WaitForAny(std::initializer_list<ManualResetEvent*> events) {
    EventLock& lock = *(*events.begin())->lock_;
    std::unique_lock guard(lock.mutex);
    std::size_t index = 0;
    lock.changed.wait(guard, [&] {
        index = 0;
        for (const ManualResetEvent* event : events) {
            if (event->set_) {
                return true;
            }
            ++index;
        }
        return false;
    });
    return index;
}

}  // namespace quillora
