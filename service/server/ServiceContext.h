#pragma once

#include <memory>

#include "service/segment/Segmenter.h"
#include "service/server/ComputeGate.h"
#include "service/server/DataFolder.h"
#include "service/server/ServiceConfig.h"
#include "service/signing/DownloadSigner.h"

namespace httplib {
class Server;
}

namespace quillora::service {

// What the request handlers share; owned by ServiceServer, which outlives
// every handler call.
struct ServiceContext {
    // Cut-outs that may wait for a computing place, per place; more are
    // answered "busy" at once.
    static constexpr int kWaitingPerPlace = 4;

    ServiceContext(DataFolder folder, int computePlaces)
        : folder(std::move(folder)),
          config(this->folder.ConfigFile()),
          gate(computePlaces, kWaitingPerPlace * (computePlaces < 1 ? 1 : computePlaces)) {}

    DataFolder folder;
    ConfigStore config;
    std::unique_ptr<DownloadSigner> signer;
    SegmenterChain segmenter;
    ComputeGate gate;
    int port = 0;
};

// Each registers one group of exchanges on the server.
void RegisterTimeAndConfigRoutes(httplib::Server& server, ServiceContext& context);
void RegisterMattingRoutes(httplib::Server& server, ServiceContext& context);
void RegisterReportRoutes(httplib::Server& server, ServiceContext& context);
void RegisterDownloadRoutes(httplib::Server& server, ServiceContext& context);

}  // namespace quillora::service
