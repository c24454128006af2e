#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

#include "ui/WindowMessage.h"

namespace quillora::matting {

// Posted by the matting worker for every finished job: the job travels as the
// message's payload (MessagePayload holding a MattingJob) and lParam is 1 when
// the cut-out was obtained and written, 0 when the request failed.
inline constexpr int WM_MATTING_DONE = ui::kWmUser + 14;  // 1038

inline constexpr std::int64_t kMattingSucceeded = 1;
inline constexpr std::int64_t kMattingFailed = 0;

// One photo on its way through the matting service. Made by
// MattingWorker::CreateJob; the UI thread fills it, the queue owns it once
// enqueued, the worker thread until it posts it, then the receiver of the
// message.
struct MattingJob {
    std::uint8_t kind = 0;  // 0 asks for an object cut-out, anything else for a person
    std::uint8_t status = 0;
    std::int32_t tag = 0;         // the workspace's; the worker never reads it
    QString name;                 // the workspace's; the worker never reads it
    const void* owner = nullptr;  // the workspace object the job belongs to; never null
    // [0] the source photo; on success the cut-out file is appended as [1].
    QStringList paths;
    std::int64_t id = 0;  // microseconds since 1970 at creation
    std::array<std::uint8_t, 8> reserved{};
};

// The job a WM_MATTING_DONE message carries, handed over to the caller; null
// for any other message.
inline std::unique_ptr<MattingJob> TakeMattingJob(ui::WindowMessage& message) {
    if (message.message != WM_MATTING_DONE) {
        return nullptr;
    }
    return message.payload.Take<MattingJob>();
}

}  // namespace quillora::matting
