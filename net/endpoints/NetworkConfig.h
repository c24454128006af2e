#pragma once

#include <string>

#include "net/endpoints/Endpoints.h"

namespace quillora::net {

inline constexpr const char* kNetworkSection = "Network";
inline constexpr const char* kVerifyTlsKey = "VerifyTls";

// Reads [Endpoints] (one base per service) and [Network] VerifyTls through
// `read`, applies QUILLORA_SERVICE, and installs the endpoint table and the
// TLS switch for the whole process. Only a VerifyTls value written as a zero
// ("0", "00", "0x0") turns certificate checks off, for a service with a
// self-signed certificate; anything else, or no value, keeps them on.
void ApplyNetworkConfig(const ProfileReader& read);

// The same from the application Config.ini at `appConfigPath`; start-up calls
// this once, before any thread makes a request.
void LoadNetworkConfig(const std::string& appConfigPath);

}  // namespace quillora::net
