#include "workspace/core/thumbnails/ThumbnailLoader.h"

#include "canvas/imaging/Imaging.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace quillora::thumbnails {

namespace {

// Files above this size are not read for a thumbnail.
constexpr qint64 kMaxFileBytes = qint64{512} * 1024 * 1024;

}  // namespace

QSize FitThumbnailSize(QSize picture, QSize box) {
    if (picture.isEmpty() || box.isEmpty()) {
        return {};
    }
    const double widthRatio = static_cast<double>(picture.width()) / box.width();
    const double heightRatio = static_cast<double>(picture.height()) / box.height();
    if (widthRatio <= 1.0 && heightRatio <= 1.0) {
        return picture;
    }
    if (widthRatio >= heightRatio) {
        const int height = static_cast<int>(picture.height() / widthRatio);
        return {box.width(), std::max(1, height)};
    }
    const int width = static_cast<int>(picture.width() / heightRatio);
    return {std::max(1, width), box.height()};
}

QImage MakeThumbnail(const QString& path, QSize box) {
    QFile file(path);
    if (box.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        return {};
    }
    QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty()) {
        return {};
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize full = reader.size();
    if (full.isValid() && qint64{full.width()} * full.height() > imaging::kMaxPixels) {
        return {};
    }
    QSize target = full.isValid() ? FitThumbnailSize(full, box) : QSize();
    if (target.isValid() && target != full) {
        // Decoders that can scale while decoding (JPEG) do so; the others
        // scale the decoded picture smoothly.
        reader.setScaledSize(target);
    }
    QImage picture = reader.read();
    if (picture.isNull()) {
        return {};
    }
    if (!target.isValid()) {
        target = FitThumbnailSize(picture.size(), box);
    }
    if (picture.size() != target) {
        picture = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QImage thumbnail(target, QImage::Format_ARGB32);
    if (thumbnail.isNull()) {
        return {};
    }
    thumbnail.fill(Qt::white);
    QPainter painter(&thumbnail);
    painter.drawImage(0, 0, picture);
    painter.end();
    return thumbnail;
}

ThumbnailLoader::ThumbnailLoader()
    : state_(std::make_shared<State>()), quitEvent_(work_.lock()), thread_([this] { Run(); }) {}

ThumbnailLoader::~ThumbnailLoader() {
    {
        std::lock_guard lock(state_->mutex);
        state_->quit = true;
    }
    state_->handedBack.notify_all();
    quitEvent_.Set();
    thread_.join();
}

std::vector<std::uint64_t> ThumbnailLoader::Queue(std::vector<ThumbnailRequest> requests,
                                                  QObject* receiver, ThumbnailHandler handler) {
    std::vector<std::uint64_t> tickets;
    tickets.reserve(requests.size());
    std::lock_guard lock(state_->mutex);
    for (ThumbnailRequest& request : requests) {
        request.ticket = state_->nextTicket++;
        tickets.push_back(request.ticket);
        state_->live.insert(request.ticket);
        state_->queue.push_back(Entry{std::move(request), receiver, handler});
    }
    return tickets;
}

void ThumbnailLoader::Wake() {
    work_.Set();
}

void ThumbnailLoader::Withdraw(std::uint64_t ticket) {
    std::lock_guard lock(state_->mutex);
    if (state_->live.count(ticket) == 0) {
        return;
    }
    auto& queue = state_->queue;
    const auto queued = std::find_if(queue.begin(), queue.end(), [ticket](const Entry& entry) {
        return entry.request.ticket == ticket;
    });
    if (queued != queue.end()) {
        queue.erase(queued);
        state_->live.erase(ticket);
        return;
    }
    state_->withdrawn.insert(ticket);
}

std::size_t ThumbnailLoader::QueuedCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->queue.size();
}

void ThumbnailLoader::Run() {
    for (;;) {
        if (WaitForAny({&quitEvent_, &work_}) == 0) {
            return;
        }
        std::deque<Entry> batch;
        {
            std::lock_guard lock(state_->mutex);
            if (state_->quit) {
                return;
            }
            // Cleared before the take: a Wake after it starts another pass.
            work_.Reset();
            batch.swap(state_->queue);
        }
        for (Entry& entry : batch) {
            bool skip = false;
            {
                std::lock_guard lock(state_->mutex);
                if (state_->quit) {
                    return;
                }
                skip = state_->withdrawn.count(entry.request.ticket) != 0;
                if (skip) {
                    state_->withdrawn.erase(entry.request.ticket);
                    state_->live.erase(entry.request.ticket);
                }
            }
            if (skip) {
                continue;
            }
            entry.request.bitmap = MakeThumbnail(entry.request.path, entry.request.box);
            entry.request.size = entry.request.bitmap.size();
            HandBack(std::move(entry));
        }
    }
}

namespace {

// Ends one hand-back when the call on the receiver's thread is over, or when
// it was dropped because the receiver went away: the last copy of the queued
// call takes this with it.
struct HandBackDone {
    std::function<void()> finish;
    ~HandBackDone() { finish(); }
};

}  // namespace

void ThumbnailLoader::HandBack(Entry entry) {
    const std::shared_ptr<State> state = state_;
    const std::uint64_t ticket = entry.request.ticket;
    {
        std::lock_guard lock(state->mutex);
        state->pendingHandBack = ticket;
    }
    auto done = std::make_shared<HandBackDone>();
    done->finish = [state, ticket] {
        {
            std::lock_guard lock(state->mutex);
            state->live.erase(ticket);
            state->withdrawn.erase(ticket);
            if (state->pendingHandBack == ticket) {
                state->pendingHandBack = 0;
            }
        }
        state->handedBack.notify_all();
    };
    auto shared = std::make_shared<Entry>(std::move(entry));
    {
        // Under the lock: a receiver withdraws its tickets before it goes
        // away, so one that is withdrawn-and-gone is never posted to, and one
        // posted to is alive at that moment (its later destruction drops the
        // posted call safely on its own thread).
        std::lock_guard lock(state->mutex);
        QObject* receiver = shared->receiver.data();
        if (receiver != nullptr && !state->quit && state->withdrawn.count(ticket) == 0) {
            QMetaObject::invokeMethod(
                receiver,
                [state, shared, done] {
                    bool call = false;
                    {
                        std::lock_guard inner(state->mutex);
                        call = !state->quit && state->withdrawn.count(shared->request.ticket) == 0;
                    }
                    if (call && shared->handler) {
                        shared->handler(shared->request);
                    }
                },
                Qt::QueuedConnection);
        }
    }
    done.reset();
    std::unique_lock lock(state->mutex);
    state->handedBack.wait(lock, [&] { return state->pendingHandBack != ticket || state->quit; });
}

}  // namespace quillora::thumbnails
