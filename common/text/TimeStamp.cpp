#include "common/text/TimeStamp.h"

#include <chrono>
#include <cstdio>

namespace quillora {

std::int64_t NowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t NowMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string DecimalText(std::int64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
    return buffer;
}

std::string MicrosText() {
    return DecimalText(NowMicros());
}

}  // namespace quillora
