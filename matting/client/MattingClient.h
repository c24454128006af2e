#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "matting/client/MattingForm.h"

namespace quillora::matting {

// Path of the matting endpoint on the matting host.
inline constexpr const char* kMattingPath = "/quillora/cutout.py";

// The one extra header line of a matting request. The stray apostrophes are
// part of what the service has always received; libcurl's own form content
// type still goes out beside it.
inline constexpr const char* kMattingHeaderLine =
    "Content-Type': 'application/x-www-form-urlencoded";

// Largest source (or mask) file a request reads. The workspace refuses photos
// above the configured size limit long before this.
inline constexpr std::uintmax_t kMaxSourceBytes = std::uintmax_t{128} << 20;

// JPEG quality sent with refine requests for "jpg" files.
inline constexpr std::int32_t kJpegQualityNormal = 70;
inline constexpr std::int32_t kJpegQualityHigh = 100;

// Who is asking: narrow byte strings, sent byte for byte.
struct MattingIdentity {
    std::string lc = "zh_CN";
    std::string adid;
    std::string version;
    std::string uid;
    std::string platform = "windows";
    std::string username;  // empty when nobody is signed in
    std::string partner_id = "0";
    std::string product_id;
};

struct CutOutOptions {
    std::int32_t cutobj = 0;    // 1 asks for an object, 0 for a person
    bool alphamatting = false;  // ask for a soft alpha edge
};

// One client turns a picture into one signed form POST to the matting
// endpoint and the JSON answer back into the cut-out bytes. Synchronous and
// used by one thread at a time; the worker builds a fresh one per job. Every
// operation returns true only when a cut-out was obtained and stored; there
// is no other error report.
class MattingClient {
public:
    MattingClient(MattingIdentity identity, std::string signingKey, std::string endpointUrl);

    void setJpegQuality(std::int32_t quality) { jpegQuality_ = quality; }
    // Milliseconds since 1970 for the `t` field; tests fix it.
    void setClock(std::function<std::int64_t()> nowMillis) { nowMillis_ = std::move(nowMillis); }

    bool RequestCutOutFile(const std::filesystem::path& sourcePath, const std::string& filetype,
                           const CutOutOptions& options, const std::filesystem::path& outputPath);
    bool RequestCutOutData(const void* bytes, std::size_t length, const std::string& filetype,
                           const CutOutOptions& options, std::string& out);
    bool RequestRefineFile(const std::filesystem::path& sourcePath,
                           const std::filesystem::path& maskPath, const std::string& filetype,
                           const std::filesystem::path& outputPath);
    bool RequestRefineData(const void* imageBytes, std::size_t imageLength, const void* maskBytes,
                           std::size_t maskLength, const std::string& filetype, std::string& out);

    // The parameters each request sends, signature included.
    ParameterMap CutOutParameters(std::string_view image, const std::string& filetype,
                                  const CutOutOptions& options) const;
    ParameterMap RefineParameters(std::string_view image, std::string_view mask,
                                  const std::string& filetype) const;

    const std::filesystem::path& outputPath() const { return outputPath_; }

private:
    ParameterMap CommonParameters() const;
    // Signs, encodes, posts and decodes; the map is consumed to free the
    // Base64 copies before the answer arrives.
    bool Exchange(ParameterMap parameters, std::string& cutOut) const;
    bool ExchangeToFile(ParameterMap parameters, const std::filesystem::path& outputPath) const;

    MattingIdentity identity_;
    std::string signingKey_;
    std::string endpointUrl_;
    std::int32_t jpegQuality_ = kJpegQualityNormal;
    std::filesystem::path outputPath_;
    std::function<std::int64_t()> nowMillis_;
};

}  // namespace quillora::matting
