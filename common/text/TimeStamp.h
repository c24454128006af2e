#pragma once

#include <cstdint>
#include <string>

namespace quillora {

// Wall-clock time since 1970-01-01 UTC.
std::int64_t NowMicros();
std::int64_t NowMillis();

// The item id and file-name time stamp: NowMicros() printed with "%lld".
std::string MicrosText();

// Any 64-bit value printed as plain decimal ("%lld").
std::string DecimalText(std::int64_t value);

}  // namespace quillora
