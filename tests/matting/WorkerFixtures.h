#pragma once

#include <QCoreApplication>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "matting/worker/MattingJob.h"
#include "ui/WindowMessage.h"

namespace quillora::test {

// The one application object of a test program; posted events need it.
inline QCoreApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "quillora-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Keeps every WM_MATTING_DONE it receives, in arrival order.
class DoneReceiver : public QObject {
public:
    struct Done {
        std::unique_ptr<matting::MattingJob> job;
        qint64 lParam = -1;
    };

    bool event(QEvent* event) override {
        if (event->type() != ui::WindowMessageEvent::EventType()) {
            return QObject::event(event);
        }
        auto* message = static_cast<ui::WindowMessageEvent*>(event);
        Done done;
        done.lParam = message->message.lParam;
        done.job = matting::TakeMattingJob(message->message);
        received.push_back(std::move(done));
        return true;
    }

    std::vector<Done> received;
};

// Delivers posted events until the condition holds; false when it still does
// not after a generous limit (a hang guard, not a time measurement).
inline bool PumpUntil(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    QCoreApplication::processEvents();
    return true;
}

// Holds server handlers until opened; counts who arrived.
class Gate {
public:
    void Pass() {
        std::unique_lock lock(mutex_);
        const int mine = ++arrived_;
        changed_.notify_all();
        changed_.wait(lock, [this, mine] { return open_ && mine != heldArrival_; });
    }
    void Open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        heldArrival_ = 0;
        changed_.notify_all();
    }
    void Close() {
        const std::lock_guard lock(mutex_);
        open_ = false;
    }
    // Only the n-th arrival (counting from 1) waits for Open.
    void HoldArrival(int n) {
        const std::lock_guard lock(mutex_);
        heldArrival_ = n;
    }
    int arrived() {
        const std::lock_guard lock(mutex_);
        return arrived_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = true;
    int arrived_ = 0;
    int heldArrival_ = 0;
};

}  // namespace quillora::test
