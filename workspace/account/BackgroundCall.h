#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <functional>
#include <utility>

namespace quillora::account {

// Runs `work` on the shared thread pool and hands its result to `done` on
// the UI thread, unless `receiver` is gone by then (a closed dialog simply
// never hears the answer). `work` must only use what it captured by value.
template <class Result>
void RunInBackground(QObject* receiver, std::function<Result()> work,
                     std::function<void(Result)> done) {
    QPointer<QObject> guard(receiver);
    QThreadPool::globalInstance()->start(
        [guard, work = std::move(work), done = std::move(done)]() mutable {
            Result result = work();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [guard, done = std::move(done), result = std::move(result)]() mutable {
                    if (guard) {
                        done(std::move(result));
                    }
                },
                Qt::QueuedConnection);
        });
}

}  // namespace quillora::account
