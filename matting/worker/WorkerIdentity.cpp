#include "matting/worker/WorkerIdentity.h"

#include "identity/MachineCode.h"

namespace quillora::matting {

MattingIdentity WorkerIdentity(const QString& adId, const QString& version, const QString& userId,
                               const QString& channelCode, int appApiId) {
    MattingIdentity identity;
    identity.adid = adId.toStdString();
    identity.version = version.toStdString();
    identity.uid = identity::GetMachineCode();
    identity.username = userId.toStdString();
    identity.partner_id = channelCode.toStdString();
    identity.product_id = std::to_string(appApiId);
    return identity;
}

}  // namespace quillora::matting
