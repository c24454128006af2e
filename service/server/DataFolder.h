#pragma once

#include <filesystem>
#include <string>

namespace quillora::service {

// Where the service keeps what it serves and what it receives:
//   service.json                 its settings (ServiceConfig)
//   reports/action.jsonl         one received action report per line
//   reports/event.jsonl          one received event report per line
//   errorfiles/                  uploaded crash files, errorfiles.jsonl lists them
//   update/                      the update files, served under /quillora/
//   toolbox/<id>/                a toolbox version text and archive
//   toolbox/download/            tool installers
//   signing-key.pem              private Ed25519 key (owner-only), never served
//   signing-public.pem           its public half, for the program's build
class DataFolder {
public:
    explicit DataFolder(std::filesystem::path root);

    // Creates the folders, and the settings and update files with their
    // defaults when the folder is new. False when the folder is unusable.
    bool Prepare(std::string* problem);

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path ConfigFile() const { return root_ / "service.json"; }
    std::filesystem::path ReportsFolder() const { return root_ / "reports"; }
    std::filesystem::path ErrorFilesFolder() const { return root_ / "errorfiles"; }
    std::filesystem::path UpdateFolder() const { return root_ / "update"; }
    std::filesystem::path ToolboxFolder() const { return root_ / "toolbox"; }
    std::filesystem::path PrivateKeyFile() const { return root_ / "signing-key.pem"; }
    std::filesystem::path PublicKeyFile() const { return root_ / "signing-public.pem"; }

private:
    std::filesystem::path root_;
};

// The version this service announces when its update folder is new: the
// program's own, so a fresh set-up offers no update.
inline constexpr const char* kDefaultAnnouncedVersion = "1.0.0.0";

}  // namespace quillora::service
