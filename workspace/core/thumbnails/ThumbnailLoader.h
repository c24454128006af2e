#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "common/thread/ManualResetEvent.h"

namespace quillora::thumbnails {

// One picture waiting for its thumbnail.
struct ThumbnailRequest {
    // Given by the loader when the request is queued; the key for Withdraw.
    std::uint64_t ticket = 0;
    QString path;
    // In: the box the thumbnail must fit. Out: the thumbnail's size.
    QSize box;
    QSize size;
    // Out: the thumbnail over white; null when the file could not be read or
    // decoded.
    QImage bitmap;
};

// Runs on the thread of the window that asked (the receiver's thread).
using ThumbnailHandler = std::function<void(const ThumbnailRequest&)>;

// The size a picture of `picture` pixels gets in `box`: as it is when it
// fits both ways, otherwise the side with the larger ratio to the box takes
// the box's length and the other side is its own length divided by that
// ratio, cut to a whole number (and never below 1).
QSize FitThumbnailSize(QSize picture, QSize box);

// The thumbnail of one file, made the way the loader makes it: read whole,
// decoded, scaled to FitThumbnailSize with smooth filtering, laid over
// white. Null for a missing, unreadable or undecodable file.
QImage MakeThumbnail(const QString& path, QSize box);

// One thread that makes thumbnails for the windows that ask for them.
//
// Threads: Queue, Wake, Withdraw and the destructor are called on the thread
// that owns the receivers (the UI thread). The loader thread only reads files
// and scales pictures; it hands each result back synchronously: it asks the
// receiver's thread to run the handler and waits until that has happened (or
// until the loader is stopping), so a request is never handed back twice and
// results arrive in the order they were queued.
//
// Withdrawal: a request whose item goes away (a removed tile) is withdrawn by
// its ticket. A withdrawn request still waiting in the queue is dropped; one
// already being made is made but its handler is not called, because the
// check runs on the receiver's thread right before the call, where no
// removal can slip in between. A handler whose receiver object has been
// destroyed is never called either; a receiver that may go away while the
// loader runs withdraws its outstanding tickets first.
class ThumbnailLoader {
public:
    ThumbnailLoader();
    // Sets quit, wakes the thread and waits for it without a time-out.
    ~ThumbnailLoader();
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // Appends the requests under the lock and returns their tickets, in
    // order. The handler runs on receiver's thread for each of them.
    std::vector<std::uint64_t> Queue(std::vector<ThumbnailRequest> requests, QObject* receiver,
                                     ThumbnailHandler handler);
    // Sets the work signal: the thread takes the whole queue at once.
    void Wake();
    // The request's handler will not be called (see above). Unknown tickets
    // are ignored.
    void Withdraw(std::uint64_t ticket);

    // For tests: requests waiting in the queue.
    std::size_t QueuedCount() const;

private:
    struct Entry {
        ThumbnailRequest request;
        QPointer<QObject> receiver;
        ThumbnailHandler handler;
    };
    // What the loader thread, the loader and the hand-backs waiting on the
    // receiver's thread share. A hand-back may outlive the loader, so it
    // holds this, not the loader.
    struct State {
        std::mutex mutex;
        std::condition_variable handedBack;
        std::deque<Entry> queue;
        std::unordered_set<std::uint64_t> live;       // queued or being made
        std::unordered_set<std::uint64_t> withdrawn;  // live ones not to hand back
        std::uint64_t nextTicket = 1;
        std::uint64_t pendingHandBack = 0;  // 0: none
        bool quit = false;
    };

    void Run();
    void HandBack(Entry entry);

    std::shared_ptr<State> state_;
    ManualResetEvent work_;
    ManualResetEvent quitEvent_;
    std::thread thread_;
};

}  // namespace quillora::thumbnails
