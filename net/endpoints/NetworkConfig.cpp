#include "net/endpoints/NetworkConfig.h"

#include <QString>

#include "net/transport/TransportOptions.h"
#include "platform/ini/IniFile.h"
#include "platform/ini/ProfileInt.h"

namespace quillora::net {

void ApplyNetworkConfig(const ProfileReader& read) {
    InstallEndpoints(EndpointTable::LoadWithEnvironment(read));
    const std::string value = read ? read(kNetworkSection, kVerifyTlsKey) : std::string();
    // Text that is no number ("no", "false") would read as 0 too; a security
    // switch goes off only when the value is written as a zero.
    const bool writtenAsZero =
        value.starts_with('0') && platform::ProfileInt(QString::fromStdString(value)) == 0;
    SetVerifyTls(!writtenAsZero);
}

void LoadNetworkConfig(const std::string& appConfigPath) {
    // One parse of the file for every key.
    const platform::IniDocument document =
        platform::IniFile(QString::fromStdString(appConfigPath)).load();
    ApplyNetworkConfig([&document](const std::string& section, const std::string& key) {
        const auto value =
            document.value(QString::fromStdString(section), QString::fromStdString(key));
        return value ? value->toStdString() : std::string();
    });
}

}  // namespace quillora::net
