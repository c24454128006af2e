#pragma once

#include <curl/curl.h>

#include <cctype>

#include <map>
#include <string>
#include <vector>

#include "../unit/ServiceTempFolder.h"
#include "service/server/ServiceConfig.h"
#include "service/server/ServiceServer.h"

namespace quillora::service::testing {

// The service in this process on a free loopback port with a fresh data
// folder; the settings may be written before it starts.
class LoopbackService {
public:
    LoopbackService() = default;
    ~LoopbackService() { server_.Stop(); }

    void Configure(const ServiceConfig& config) {
        std::filesystem::create_directories(folder_.path());
        SaveServiceConfig(folder_.path() / "service.json", config);
    }

    // False when the service cannot start.
    bool Start() {
        std::string problem;
        if (!server_.Prepare(&problem)) {
            return false;
        }
        return server_.Start(0) > 0;
    }

    void Stop() { server_.Stop(); }

    std::string Base() const { return "http://127.0.0.1:" + std::to_string(server_.Port()); }
    int Port() const { return server_.Port(); }
    const std::filesystem::path& Data() const { return folder_.path(); }

private:
    TempFolder folder_;
    ServiceServer server_{folder_.path()};
};

struct HttpAnswer {
    long status = 0;
    std::string body;
    std::map<std::string, std::string> headers;  // names in lower case
    CURLcode result = CURLE_OK;
};

// Plain libcurl requests, the way the program's transport makes them.
class Curl {
public:
    static HttpAnswer Get(const std::string& url) { return Perform(url, nullptr, {}, nullptr); }

    static HttpAnswer Post(const std::string& url, const std::string& body,
                           const std::vector<std::string>& headerLines = {}) {
        return Perform(url, &body, headerLines, nullptr);
    }

    // One multipart/form-data part named `name` holding the file's bytes.
    static HttpAnswer PostFile(const std::string& url, const std::string& name,
                               const std::string& fileName, const std::string& bytes) {
        CURL* curl = curl_easy_init();
        curl_mime* mime = curl_mime_init(curl);
        curl_mimepart* part = curl_mime_addpart(mime);
        curl_mime_name(part, name.c_str());
        curl_mime_filename(part, fileName.c_str());
        curl_mime_data(part, bytes.data(), bytes.size());
        HttpAnswer answer = Perform(url, nullptr, {}, mime, curl);
        curl_mime_free(mime);
        return answer;
    }

    static std::string Escape(const std::string& text) {
        char* escaped = curl_escape(text.data(), static_cast<int>(text.size()));
        std::string out(escaped);
        curl_free(escaped);
        return out;
    }

private:
    static std::size_t Write(char* data, std::size_t size, std::size_t count, void* target) {
        static_cast<std::string*>(target)->append(data, size * count);
        return size * count;
    }

    static std::size_t Header(char* data, std::size_t size, std::size_t count, void* target) {
        std::string line(data, size * count);
        const auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            for (char& c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            value.erase(value.find_last_not_of("\r\n") + 1);
            (*static_cast<std::map<std::string, std::string>*>(target))[name] = value;
        }
        return size * count;
    }

    static HttpAnswer Perform(const std::string& url, const std::string* body,
                              const std::vector<std::string>& headerLines, curl_mime* mime,
                              CURL* curl = nullptr) {
        HttpAnswer answer;
        if (!curl) {
            curl = curl_easy_init();
        }
        curl_slist* headers = nullptr;
        for (const std::string& line : headerLines) {
            headers = curl_slist_append(headers, line.c_str());
        }
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Curl::Write);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Curl::Header);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
        if (body) {
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body->size()));
        }
        if (mime) {
            curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);
        }
        if (headers) {
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        }
        answer.result = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        return answer;
    }
};

}  // namespace quillora::service::testing
