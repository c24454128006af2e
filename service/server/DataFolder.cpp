#include "service/server/DataFolder.h"

#include "service/server/AtomicFile.h"
#include "service/server/ServiceConfig.h"

namespace quillora::service {
namespace {

struct DefaultFile {
    const char* name;
    std::string text;
};

// What a new update folder holds: the running version as the newest one, a
// one-entry release list, an update configuration with the switches on, and
// an empty patch version (no patch to fetch). The installer and the patch
// module are added by whoever publishes them.
DefaultFile kUpdateDefaults[] = {
    {"newversion.htm", std::string("version=<#") + kDefaultAnnouncedVersion + "#>\r\n"},
    {"version.htm", std::string("[{\"version\":\"") + kDefaultAnnouncedVersion +
                        "\",\"date\":\"2026-01-01\",\"content\":[\"First release.\"]}]\n"},
    {"cd.cab", "[Config]\r\nExcepRunAuto=1\r\nToolbox=1\r\n"},
    {"patchversion.htm", "version=\r\n"},
};

}  // namespace

DataFolder::DataFolder(std::filesystem::path root) : root_(std::move(root)) {}

bool DataFolder::Prepare(std::string* problem) {
    std::error_code error;
    std::filesystem::create_directories(root_, error);
    const bool newUpdateFolder = !std::filesystem::exists(UpdateFolder(), error);
    for (const auto& folder : {ReportsFolder(), ErrorFilesFolder(), UpdateFolder(), ToolboxFolder(),
                               ToolboxFolder() / "download"}) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            if (problem) {
                *problem = "cannot create " + folder.string() + ": " + error.message();
            }
            return false;
        }
    }
    if (newUpdateFolder) {
        for (const DefaultFile& file : kUpdateDefaults) {
            WriteFileAtomically(UpdateFolder() / file.name, file.text);
        }
    }
    std::string configProblem;
    LoadServiceConfig(ConfigFile(), &configProblem);
    if (!configProblem.empty() && problem) {
        *problem = configProblem;
    }
    return true;
}

}  // namespace quillora::service
