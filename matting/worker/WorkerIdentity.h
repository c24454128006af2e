#pragma once

#include <QString>

#include "matting/client/MattingClient.h"

namespace quillora::matting {

// The identity every job's request carries: the wire values "zh_CN" and
// "windows" the service expects, the channel id (AdId), the program version,
// this machine's code, the signed-in user's numeric id (empty when nobody is
// signed in), the partner code (ChannelCode) and the product API id.
MattingIdentity WorkerIdentity(const QString& adId, const QString& version, const QString& userId,
                               const QString& channelCode, int appApiId);

}  // namespace quillora::matting
