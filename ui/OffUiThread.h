#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <memory>
#include <utility>

namespace quillora::ui {

// Runs make() on a pool thread; done(result) runs on receiver's (the UI)
// thread, and not at all once receiver is gone. make() gets its inputs by
// value and touches no widget.
template <typename Result, typename Make, typename Done>
void RunOffUiThread(QObject* receiver, Make make, Done done) {
    auto promise = std::make_shared<QPromise<Result>>();
    auto* watcher = new QFutureWatcher<Result>(receiver);
    QObject::connect(watcher, &QFutureWatcher<Result>::finished, receiver,
                     [watcher, done = std::move(done)]() mutable {
                         Result result{};
                         if (watcher->future().resultCount() > 0) {
                             result = watcher->future().result();
                         }
                         watcher->deleteLater();
                         done(std::move(result));
                     });
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, make = std::move(make)]() {
        promise->addResult(make());
        promise->finish();
    });
}

}  // namespace quillora::ui
