#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quillora::service {

// What the sample offers, and where its files come from.
struct SampleSources {
    std::filesystem::path toolboxArchive;  // a packed toolbox (skin.xml and images)
    std::filesystem::path toolInstaller;   // installer of the toolbox's installable tool
    std::string toolInstallerName = "quillora-stamp-setup";
    std::filesystem::path updateInstaller;  // offered as QuilloraSetup.exe
    std::filesystem::path languageFolder;   // the program's language sources (*.txt)
    std::string newVersion = "1.1.0.0";
    std::string toolboxId = "quillora";
    std::string toolboxVersion = "1.0.0.1";
};

// The release-notes value names of the program's languages: the [UI]
// Information entry of every language source in the folder, sorted, each
// with its file's base name ("notes_en" from en.txt).
std::vector<std::pair<std::string, std::string>> NotesNames(
    const std::filesystem::path& languageFolder);

// The version answer: "version=<#V#>" and one "<name>=<#notes#>" per language.
std::string VersionAnswer(const std::string& version,
                          const std::vector<std::pair<std::string, std::string>>& notes);

// The release list: the first release, the offered one, as JSON.
std::string ReleaseList(const std::string& newVersion);

// Publishes the sample into a service data folder: the update folder (version
// answer with notes in every language, release list, update configuration,
// patch version, the installer) and the toolbox (version, archive, the tool's
// installer). The service signs each file as it serves it. False with the
// problem when a source is missing or a file cannot be written.
bool PublishSample(const std::filesystem::path& dataRoot, const SampleSources& sources,
                   std::string* problem);

}  // namespace quillora::service
