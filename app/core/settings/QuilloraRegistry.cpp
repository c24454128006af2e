#include "app/core/settings/QuilloraRegistry.h"

#include <algorithm>

namespace quillora {

namespace {

using platform::kQuilloraRegistryKey;

std::uint32_t DwordOr(const platform::RegistryStore& store, QStringView name,
                      std::uint32_t fallback) {
    return store.readDword(kQuilloraRegistryKey, name).value_or(fallback);
}

}  // namespace

QuilloraRegistry QuilloraRegistry::Open() {
    return QuilloraRegistry(platform::RegistryStore::ForUser(),
                            platform::RegistryStore::ForMachine());
}

QString QuilloraRegistry::readString(QStringView name) const {
    return user_.readString(kQuilloraRegistryKey, name).value_or(QString());
}

std::uint32_t QuilloraRegistry::readUpDumpDay() const {
    return DwordOr(user_, u"UpDumpDay", 0);
}
bool QuilloraRegistry::writeUpDumpDay(std::uint32_t value) {
    return user_.writeDword(kQuilloraRegistryKey, u"UpDumpDay", value);
}

std::uint32_t QuilloraRegistry::readCloseConfirm() const {
    return DwordOr(user_, u"CloseConfirm", 1);
}
bool QuilloraRegistry::writeCloseConfirm(std::uint32_t value) {
    return user_.writeDword(kQuilloraRegistryKey, u"CloseConfirm", value);
}
bool QuilloraRegistry::deleteCloseConfirm() {
    return user_.deleteValue(kQuilloraRegistryKey, u"CloseConfirm");
}

QString QuilloraRegistry::readAdid() const {
    return readString(u"adid");
}
bool QuilloraRegistry::writeAdid(QStringView value) {
    return user_.writeString(kQuilloraRegistryKey, u"adid", value);
}
QString QuilloraRegistry::readPartner() const {
    return readString(u"partner");
}
bool QuilloraRegistry::writePartner(QStringView value) {
    return user_.writeString(kQuilloraRegistryKey, u"partner", value);
}
QString QuilloraRegistry::readInstallerName() const {
    return machine_.readString(kQuilloraRegistryKey, u"InstallerName").value_or(QString());
}
QString QuilloraRegistry::readSoftwareVersion() const {
    return readString(u"SoftwareVersion");
}

QString QuilloraRegistry::readJwt() const {
    return readString(u"jwt");
}
bool QuilloraRegistry::writeJwt(QStringView token) {
    return user_.writeString(kQuilloraRegistryKey, u"jwt", token);
}
bool QuilloraRegistry::deleteJwt() {
    return user_.deleteValue(kQuilloraRegistryKey, u"jwt");
}
QString QuilloraRegistry::readHeadImage() const {
    return readString(u"HeadImage");
}
bool QuilloraRegistry::writeHeadImage(QStringView value) {
    return user_.writeString(kQuilloraRegistryKey, u"HeadImage", value);
}
bool QuilloraRegistry::deleteHeadImage() {
    return user_.deleteValue(kQuilloraRegistryKey, u"HeadImage");
}

std::uint32_t QuilloraRegistry::readUpdateDay() const {
    return DwordOr(user_, u"UpdateDay", 0);
}
bool QuilloraRegistry::writeUpdateDay(std::uint32_t day) {
    return user_.writeDword(kQuilloraRegistryKey, u"UpdateDay", day);
}
QString QuilloraRegistry::readDownloadedUpdateVersion() const {
    return readString(u"DownloadedUpdateVersion");
}
bool QuilloraRegistry::deleteDownloadedUpdateVersion() {
    return user_.deleteValue(kQuilloraRegistryKey, u"DownloadedUpdateVersion");
}
QString QuilloraRegistry::readPatchVersion() const {
    return readString(u"patch");
}
bool QuilloraRegistry::writePatchVersion(QStringView version) {
    return user_.writeString(kQuilloraRegistryKey, u"patch", version);
}
bool QuilloraRegistry::hasSendInstallMessage() const {
    return user_.hasValue(kQuilloraRegistryKey, u"SendInstallMessage");
}
bool QuilloraRegistry::deleteSendInstallMessage() {
    return user_.deleteValue(kQuilloraRegistryKey, u"SendInstallMessage");
}

QString QuilloraRegistry::readToolboxVersion() const {
    return readString(u"ToolboxVersion");
}
bool QuilloraRegistry::writeToolboxVersion(QStringView version) {
    return user_.writeString(kQuilloraRegistryKey, u"ToolboxVersion", version);
}
std::uint32_t QuilloraRegistry::readToolboxDay() const {
    return DwordOr(user_, u"ToolboxDay", 0);
}
bool QuilloraRegistry::writeToolboxDay(std::uint32_t day) {
    return user_.writeDword(kQuilloraRegistryKey, u"ToolboxDay", day);
}

QString QuilloraRegistry::derived(QStringView name, QChar separator) {
    QString value = readString(name);
    if (!value.isEmpty()) {
        return value;
    }
    value = InstallerNamePart(readInstallerName(), separator);
    if (!value.isEmpty()) {
        user_.writeString(kQuilloraRegistryKey, name, value);
    }
    return value;
}

QString QuilloraRegistry::channelId() {
    return derived(u"adid", u'-');
}

QString QuilloraRegistry::partnerId() {
    return derived(u"partner", u'_');
}

QString QuilloraRegistry::loginToken(const QString& machineCode) const {
    const QString token = readJwt();
    return token.isEmpty() ? machineCode : token;
}

QString InstallerNamePart(QStringView installerName, QChar separator) {
    const qsizetype slash =
        std::max(installerName.lastIndexOf(u'/'), installerName.lastIndexOf(u'\\'));
    QStringView fileName = installerName.sliced(slash + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot >= 0) {
        fileName = fileName.first(dot);
    }
    const qsizetype at = fileName.indexOf(separator);
    return at < 0 ? QString() : fileName.sliced(at + 1).toString();
}

}  // namespace quillora
