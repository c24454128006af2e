#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace httplib {
class Server;
}

namespace quillora::service {

// The key the program's language files carry as SMSKey; it signs the
// account forms the way TarnApiKey signs matting forms.
inline constexpr std::string_view kAccountApiKey = "qlr-sms-2c5f8a1e7d3b9046";
// Accepted distance of a form's "t" from this service's clock.
inline constexpr std::int64_t kAccountTimeWindowSeconds = 86400;

// The account exchanges, with their state in <data>/account/:
//   POST /account/sms    phone, t, s: sends (here: logs) a one-time code
//   POST /account/login  phone, code, t, s: the code for a signed token
//   GET  /account/user   Authorization: Bearer <token>: the user's id and name
// False (with the reason) when the account folder or its key cannot be made.
bool RegisterAccountRoutes(httplib::Server& server, const std::filesystem::path& dataFolder,
                           std::string* problem);

// The feedback page: GET /feedback is the form, POST /feedback stores what
// is sent in <data>/feedback/.
void RegisterFeedbackRoutes(httplib::Server& server, const std::filesystem::path& dataFolder);

}  // namespace quillora::service
