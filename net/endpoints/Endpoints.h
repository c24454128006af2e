#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quillora::net {

// The maker's services. Each has a base address ("http://host:port", no
// trailing "/"); callers append the paths they own. Web is the host of the
// web pages (online tools, feedback), Account the sign-in service.
enum class Service { ServerTime, Config, Matting, Statistics, Update, Toolbox, Web, Account };
inline constexpr std::size_t kServiceCount = 8;

// Key of each service in the [Endpoints] section of the application
// Config.ini, in the order of Service.
inline constexpr std::array<const char*, kServiceCount> kEndpointKeys = {
    "ServerTime", "Config", "Matting", "Statistics", "Update", "Toolbox", "Web", "Account"};
inline constexpr const char* kEndpointsSection = "Endpoints";

// Every host defaults to the local reference service.
inline constexpr const char* kDefaultServiceBase = "http://127.0.0.1:17650";
// Environment variable whose base address overrides every host at once.
inline constexpr const char* kServiceOverrideVariable = "QUILLORA_SERVICE";

// Reads one value of the application Config.ini; empty text when the file,
// section or key is missing.
using ProfileReader =
    std::function<std::string(const std::string& section, const std::string& key)>;

class EndpointTable {
public:
    EndpointTable();

    // Defaults, then each [Endpoints] entry that holds an http or https
    // address, then `overrideAll` for every host when it holds one.
    static EndpointTable Load(const ProfileReader& read, const std::string& overrideAll);
    // Load with the QUILLORA_SERVICE variable of this process.
    static EndpointTable LoadWithEnvironment(const ProfileReader& read);

    const std::string& Base(Service service) const;
    // Base plus a path that starts with "/".
    std::string Url(Service service, std::string_view path) const;
    // "host:port" (or "host") of the base, for code that writes "http://%s/%s".
    std::string HostAndPort(Service service) const;
    // False (and nothing changed) when `base` is not an http or https address.
    bool SetBase(Service service, std::string_view base);

private:
    std::array<std::string, kServiceCount> bases_;
};

// Normalised base address (trimmed, without trailing "/"), or empty text
// when `text` is not an http:// or https:// address with a host.
std::string NormaliseBase(std::string_view text);

// The process-wide table. Start-up installs it once from the application
// Config.ini (LoadNetworkConfig); until then every host has its default, or
// the QUILLORA_SERVICE address when that is set. Safe from any thread.
void InstallEndpoints(const EndpointTable& table);
EndpointTable CurrentEndpoints();

}  // namespace quillora::net
