#pragma once

#include <string_view>

namespace quillora::service {

// Values the program's language files and report code carry; both sides must
// hold the same ones.
inline constexpr std::string_view kConfigApiKey = "qlr-cfg-7f3a9c2e51d84b06";
inline constexpr std::string_view kMattingApiKey = "qlr-mat-4b8e2d6a90c17f35";
inline constexpr std::string_view kReportCipherKey = "QlrReport2026Key";

}  // namespace quillora::service
