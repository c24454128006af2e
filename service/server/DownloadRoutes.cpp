#include <httplib.h>

#include <fstream>
#include <memory>

#include "service/server/ServiceContext.h"

namespace quillora::service {
namespace {

const char* const kSignatureSuffix = ".sig";

// Update files keep their fixed names; a toolbox id is a lower-case word; an
// installer name has no path separator and does not start with a dot.
const char* const kUpdatePattern =
    R"(/quillora/(newversion\.htm|version\.htm|cd\.cab|patchversion\.htm|patch\.dll\.cab|QuilloraSetup\.exe)(\.sig)?)";
const char* const kToolboxPattern = R"(/([a-z0-9_-]+)/(version\.html|toolbox\.zip)(\.sig)?)";
const char* const kInstallerPattern = R"(/download/([A-Za-z0-9_-][A-Za-z0-9._-]*))";

const char* ContentType(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    return extension == ".htm" || extension == ".html" ? "text/html; charset=utf-8"
                                                       : "application/octet-stream";
}

bool IsRegularFile(const std::filesystem::path& file, std::uintmax_t& size) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) || error) {
        return false;
    }
    size = std::filesystem::file_size(file, error);
    return !error;
}

void NotFound(httplib::Response& response) {
    response.status = 404;
    response.set_content("not found", "text/plain");
}

// Streams the file with its length in Content-Length, so the program's
// downloader can tell a complete file from a cut one.
void ServeFile(const std::filesystem::path& file, httplib::Response& response) {
    std::uintmax_t size = 0;
    auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
    if (!IsRegularFile(file, size) || !*stream) {
        NotFound(response);
        return;
    }
    response.set_content_provider(
        static_cast<std::size_t>(size), ContentType(file),
        [stream](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            char buffer[64 * 1024];
            stream->seekg(static_cast<std::streamoff>(offset));
            const std::size_t want = std::min(length, sizeof buffer);
            stream->read(buffer, static_cast<std::streamsize>(want));
            const std::streamsize got = stream->gcount();
            return got > 0 && sink.write(buffer, static_cast<std::size_t>(got));
        });
}

// The detached Ed25519 signature of the file's bytes as they are now.
void ServeSignature(const std::filesystem::path& file, const ServiceContext& context,
                    httplib::Response& response) {
    std::uintmax_t size = 0;
    if (!context.signer || !IsRegularFile(file, size)) {
        NotFound(response);
        return;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string signature = context.signer->Sign(bytes);
    if (!in.good() && !in.eof()) {
        NotFound(response);
        return;
    }
    if (signature.empty()) {
        response.status = 500;
        response.set_content("cannot sign", "text/plain");
        return;
    }
    response.set_content(signature, "application/octet-stream");
}

void Serve(const std::filesystem::path& file, bool signature, const ServiceContext& context,
           httplib::Response& response) {
    if (signature) {
        ServeSignature(file, context, response);
    } else {
        ServeFile(file, response);
    }
}

}  // namespace

void RegisterDownloadRoutes(httplib::Server& server, ServiceContext& context) {
    server.Get(kUpdatePattern,
               [&context](const httplib::Request& request, httplib::Response& response) {
                   Serve(context.folder.UpdateFolder() / request.matches[1].str(),
                         request.matches[2].matched, context, response);
               });
    server.Get(kInstallerPattern,
               [&context](const httplib::Request& request, httplib::Response& response) {
                   // "<name>.sig" is the signature of "<name>" unless a file of that very
                   // name is published itself.
                   const std::filesystem::path folder = context.folder.ToolboxFolder() / "download";
                   std::string name = request.matches[1].str();
                   std::uintmax_t size = 0;
                   const std::string suffix = kSignatureSuffix;
                   const bool signature =
                       name.size() > suffix.size() &&
                       name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                       !IsRegularFile(folder / name, size);
                   if (signature) {
                       name.resize(name.size() - suffix.size());
                   }
                   Serve(folder / name, signature, context, response);
               });
    server.Get(kToolboxPattern, [&context](const httplib::Request& request,
                                           httplib::Response& response) {
        Serve(context.folder.ToolboxFolder() / request.matches[1].str() / request.matches[2].str(),
              request.matches[3].matched, context, response);
    });
}

}  // namespace quillora::service
