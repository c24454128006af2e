#pragma once

#include <string>

#include "matting/client/MattingClient.h"

namespace quillora::test {

// The key the language files carry under TarnApiKey and ApiKey.
inline constexpr const char* kTarnApiKey = "qlr-mat-4b8e2d6a90c17f35";
inline constexpr const char* kApiKey = "qlr-cfg-7f3a9c2e51d84b06";

inline constexpr std::int64_t kFixedMillis = 1700000000123;

// A signed-out client with fixed identity values.
inline matting::MattingIdentity FixedIdentity() {
    matting::MattingIdentity identity;
    identity.adid = "qd1001";
    identity.version = "1.0.0.5";
    identity.uid = "A1B2C3D4E5F60718";
    identity.product_id = "1";
    return identity;
}

inline matting::MattingClient FixedClient(const std::string& url,
                                          matting::MattingIdentity identity = FixedIdentity()) {
    matting::MattingClient client(std::move(identity), kTarnApiKey, url);
    client.setClock([] { return kFixedMillis; });
    return client;
}

// Three bytes whose Base64 text is "+/+/".
inline const std::string kThreeBytes("\xfb\xff\xbf", 3);

}  // namespace quillora::test
