#include "service/update/SamplePublisher.h"

#include "service/server/AtomicFile.h"

#include <algorithm>
#include <fstream>
#include <map>

namespace quillora::service {
namespace {

// "What's new" of the offered version, per language file; others read English.
const std::map<std::string, std::string>& NotesTexts() {
    static const std::map<std::string, std::string> texts = {
        {"en", "Cleaner hair edges, a toolbox of companion tools and faster saving."},
        {"cn", "发丝边缘更干净，新增工具箱，保存更快。"},
        {"tr", "髮絲邊緣更乾淨，新增工具箱，儲存更快。"},
        {"de", "Sauberere Haarkanten, ein Werkzeugkasten und schnelleres Speichern."},
        {"fr",
         "Contours des cheveux plus nets, une boîte à outils et un enregistrement plus rapide."},
        {"es", "Bordes de cabello más limpios, una caja de herramientas y guardado más rápido."},
        {"pt", "Bordas de cabelo mais limpas, uma caixa de ferramentas e salvamento mais rápido."},
        {"ru", "Более чистые края волос, набор инструментов и быстрое сохранение."},
        {"jp", "髪の輪郭がよりきれいに。ツールボックスを追加し、保存も高速化。"},
        {"ko", "더 깔끔한 머리카락 가장자리, 도구 상자, 더 빠른 저장."},
        {"id", "Tepi rambut lebih bersih, kotak alat, dan penyimpanan lebih cepat."},
        {"ar", "حواف شعر أنظف، وصندوق أدوات، وحفظ أسرع."},
    };
    return texts;
}

bool ReadFile(const std::filesystem::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

bool Fail(std::string* problem, const std::string& text) {
    if (problem != nullptr) {
        *problem = text;
    }
    return false;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> NotesNames(
    const std::filesystem::path& languageFolder) {
    std::vector<std::pair<std::string, std::string>> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(languageFolder, error)) {
        if (entry.path().extension() != ".txt" || entry.path().stem() == "keys") {
            continue;
        }
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.rfind("Information=", 0) == 0 && line.size() > 12) {
                names.emplace_back(entry.path().stem().string(), line.substr(12));
                break;
            }
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string VersionAnswer(const std::string& version,
                          const std::vector<std::pair<std::string, std::string>>& notes) {
    std::string answer = "version=<#" + version + "#>\r\n";
    for (const auto& [language, name] : notes) {
        const auto& texts = NotesTexts();
        const auto it = texts.find(language);
        answer += name + "=<#" + (it != texts.end() ? it->second : texts.at("en")) + "#>\r\n";
    }
    return answer;
}

std::string ReleaseList(const std::string& newVersion) {
    return "[\n"
           "  {\"version\": \"1.0.0.0\", \"date\": \"2026-01-01\", \"content\": [\"First "
           "release.\"]},\n"
           "  {\"version\": \"" +
           newVersion +
           "\", \"date\": \"2026-12-01\", \"content\": [\n"
           "    \"Cleaner hair edges on busy backgrounds.\",\n"
           "    \"A toolbox with companion tools, one click away.\",\n"
           "    \"Batch saving is faster on large photos.\"]}\n"
           "]\n";
}

bool PublishSample(const std::filesystem::path& dataRoot, const SampleSources& sources,
                   std::string* problem) {
    std::string archive;
    std::string toolInstaller;
    std::string updateInstaller;
    if (!ReadFile(sources.toolboxArchive, archive) || archive.empty()) {
        return Fail(problem, "cannot read the toolbox archive " + sources.toolboxArchive.string());
    }
    if (!ReadFile(sources.toolInstaller, toolInstaller) || toolInstaller.empty()) {
        return Fail(problem, "cannot read the tool installer " + sources.toolInstaller.string());
    }
    if (!ReadFile(sources.updateInstaller, updateInstaller) || updateInstaller.empty()) {
        return Fail(problem,
                    "cannot read the update installer " + sources.updateInstaller.string());
    }
    const auto notes = NotesNames(sources.languageFolder);
    if (notes.empty()) {
        return Fail(problem, "no language sources in " + sources.languageFolder.string());
    }
    const std::filesystem::path update = dataRoot / "update";
    const std::filesystem::path toolbox = dataRoot / "toolbox" / sources.toolboxId;
    const std::filesystem::path download = dataRoot / "toolbox" / "download";
    std::error_code error;
    for (const auto& folder : {update, toolbox, download}) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            return Fail(problem, "cannot create " + folder.string() + ": " + error.message());
        }
    }
    const std::pair<std::filesystem::path, std::string> files[] = {
        {update / "newversion.htm", VersionAnswer(sources.newVersion, notes)},
        {update / "version.htm", ReleaseList(sources.newVersion)},
        {update / "cd.cab", "[Config]\r\nExcepRunAuto=1\r\nToolbox=1\r\n"},
        // No patch module is offered.
        {update / "patchversion.htm", "version=\r\n"},
        {update / "QuilloraSetup.exe", updateInstaller},
        {toolbox / "version.html", "version=" + sources.toolboxVersion + "\r\n"},
        {toolbox / "toolbox.zip", archive},
        {download / sources.toolInstallerName, toolInstaller},
    };
    for (const auto& [file, bytes] : files) {
        if (!WriteFileAtomically(file, bytes)) {
            return Fail(problem, "cannot write " + file.string());
        }
    }
    return true;
}

}  // namespace quillora::service
