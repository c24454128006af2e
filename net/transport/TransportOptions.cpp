#include "net/transport/TransportOptions.h"

#include <algorithm>
#include <atomic>

namespace quillora::net {
namespace {

std::atomic<bool> gVerifyTls{true};
std::atomic<long> gTimeoutCapMs{0};

}  // namespace

void SetVerifyTls(bool verify) {
    gVerifyTls.store(verify);
}

bool VerifyTls() {
    return gVerifyTls.load();
}

void SetTimeoutCapForTests(std::chrono::milliseconds cap) {
    gTimeoutCapMs.store(static_cast<long>(cap.count()));
}

long EffectiveTimeoutMs(long ms) {
    const long cap = gTimeoutCapMs.load();
    return cap > 0 ? std::min(ms, cap) : ms;
}

}  // namespace quillora::net
