// Publishes the sample update and toolbox into a reference-service data
// folder: quillora-publish-sample --data <folder> [--version 1.1.0.0]
#include "service/update/SamplePublisher.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char* argv[]) {
    std::string data;
    quillora::service::SampleSources sources;
    sources.toolboxArchive = QUILLORA_SAMPLE_TOOLBOX;
    sources.toolInstaller = QUILLORA_SAMPLE_TOOL_SETUP;
    sources.updateInstaller = QUILLORA_SAMPLE_SETUP;
    sources.languageFolder = QUILLORA_LANGUAGE_SOURCES;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--data") == 0) {
            data = argv[i + 1];
        } else if (std::strcmp(argv[i], "--version") == 0) {
            sources.newVersion = argv[i + 1];
        }
    }
    if (data.empty()) {
        std::fprintf(stderr, "usage: %s --data <service data folder> [--version V]\n", argv[0]);
        return 2;
    }
    std::string problem;
    if (!quillora::service::PublishSample(data, sources, &problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    std::printf("published version %s and the sample toolbox into %s\n", sources.newVersion.c_str(),
                data.c_str());
    return 0;
}
