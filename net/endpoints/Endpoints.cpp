#include "net/endpoints/Endpoints.h"

#include <cstdlib>
#include <mutex>

namespace quillora::net {
namespace {

std::mutex gTableMutex;

// Until start-up installs the table from Config.ini, the defaults with the
// QUILLORA_SERVICE override apply, so tools and tests that never read a
// Config.ini still reach the service they name.
EndpointTable& InstalledTable() {
    static EndpointTable table = EndpointTable::LoadWithEnvironment(nullptr);
    return table;
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::size_t Index(Service service) {
    return static_cast<std::size_t>(service);
}

}  // namespace

std::string NormaliseBase(std::string_view text) {
    std::string_view base = Trim(text);
    while (!base.empty() && base.back() == '/') {
        base.remove_suffix(1);
    }
    std::size_t hostStart = 0;
    if (base.starts_with("http://")) {
        hostStart = 7;
    } else if (base.starts_with("https://")) {
        hostStart = 8;
    } else {
        return {};
    }
    const std::string_view host = base.substr(hostStart);
    if (host.empty() || host.find_first_of(" \t\r\n?#") != std::string_view::npos) {
        return {};
    }
    return std::string(base);
}

EndpointTable::EndpointTable() {
    bases_.fill(kDefaultServiceBase);
}

EndpointTable EndpointTable::Load(const ProfileReader& read, const std::string& overrideAll) {
    EndpointTable table;
    if (read) {
        for (std::size_t i = 0; i < kServiceCount; ++i) {
            table.SetBase(static_cast<Service>(i), read(kEndpointsSection, kEndpointKeys[i]));
        }
    }
    const std::string all = NormaliseBase(overrideAll);
    if (!all.empty()) {
        table.bases_.fill(all);
    }
    return table;
}

EndpointTable EndpointTable::LoadWithEnvironment(const ProfileReader& read) {
    const char* value = std::getenv(kServiceOverrideVariable);
    return Load(read, value != nullptr ? value : "");
}

const std::string& EndpointTable::Base(Service service) const {
    return bases_[Index(service)];
}

std::string EndpointTable::Url(Service service, std::string_view path) const {
    std::string url = Base(service);
    url.append(path);
    return url;
}

std::string EndpointTable::HostAndPort(Service service) const {
    const std::string& base = Base(service);
    const std::size_t start = base.find("://");
    std::string host = start == std::string::npos ? base : base.substr(start + 3);
    const std::size_t slash = host.find('/');
    if (slash != std::string::npos) {
        host.resize(slash);
    }
    return host;
}

bool EndpointTable::SetBase(Service service, std::string_view base) {
    std::string normalised = NormaliseBase(base);
    if (normalised.empty()) {
        return false;
    }
    bases_[Index(service)] = std::move(normalised);
    return true;
}

void InstallEndpoints(const EndpointTable& table) {
    const std::lock_guard lock(gTableMutex);
    InstalledTable() = table;
}

EndpointTable CurrentEndpoints() {
    const std::lock_guard lock(gTableMutex);
    return InstalledTable();
}

}  // namespace quillora::net
