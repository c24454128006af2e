#pragma once

#include "platform/registry/RegistryStore.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace quillora {

// The program's values under Software\Quillora, one reader or writer per
// value. Missing values read as their defaults: 0 for the day numbers and
// UpDumpDay, 1 for CloseConfirm, empty for strings. The per-user store holds
// every value except InstallerName, which the installer writes to the
// machine-wide store. Each call reads or writes the store file at once.
class QuilloraRegistry {
public:
    QuilloraRegistry(platform::RegistryStore user, platform::RegistryStore machine)
        : user_(std::move(user)), machine_(std::move(machine)) {}
    // The stores of the current user and of this installation.
    static QuilloraRegistry Open();

    // Low 32 bits of the modification time of the last uploaded crash report.
    std::uint32_t readUpDumpDay() const;
    bool writeUpDumpDay(std::uint32_t value);

    // 0 once the user chose not to be asked before closing.
    std::uint32_t readCloseConfirm() const;
    bool writeCloseConfirm(std::uint32_t value);
    bool deleteCloseConfirm();

    QString readAdid() const;
    bool writeAdid(QStringView value);
    QString readPartner() const;
    bool writePartner(QStringView value);
    QString readInstallerName() const;  // machine-wide, read only
    QString readSoftwareVersion() const;

    QString readJwt() const;
    bool writeJwt(QStringView token);
    bool deleteJwt();
    QString readHeadImage() const;
    bool writeHeadImage(QStringView value);
    bool deleteHeadImage();

    std::uint32_t readUpdateDay() const;
    bool writeUpdateDay(std::uint32_t day);
    QString readDownloadedUpdateVersion() const;
    bool deleteDownloadedUpdateVersion();
    QString readPatchVersion() const;
    bool writePatchVersion(QStringView version);
    bool hasSendInstallMessage() const;
    bool deleteSendInstallMessage();

    QString readToolboxVersion() const;
    bool writeToolboxVersion(QStringView version);
    std::uint32_t readToolboxDay() const;
    bool writeToolboxDay(std::uint32_t day);

    // The channel id: adid; when missing or empty, the text after the first
    // "-" of the installer's file name (InstallerName without folder and
    // extension), written back when not empty.
    QString channelId();
    // The partner id: partner; when missing or empty, the text after the
    // first "_" of the installer's file name, written back when not empty.
    QString partnerId();
    // The login token: jwt, or the machine code when it is empty.
    QString loginToken(const QString& machineCode) const;

    // The stores themselves, for keys other than Software\Quillora (the
    // toolbox reads the Path value of each tool's key in the machine store).
    platform::RegistryStore& userStore() { return user_; }
    platform::RegistryStore& machineStore() { return machine_; }

private:
    QString readString(QStringView name) const;
    QString derived(QStringView name, QChar separator);

    platform::RegistryStore user_;
    platform::RegistryStore machine_;
};

// The text after the first `separator` in the file name of an installer path
// (folder, either "/" or "\", and extension removed); empty when the name
// has no separator.
QString InstallerNamePart(QStringView installerName, QChar separator);

}  // namespace quillora
