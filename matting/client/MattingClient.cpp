#include "matting/client/MattingClient.h"

#include "common/codec/Base64.h"
#include "common/text/TimeStamp.h"
#include "matting/client/MattingAnswer.h"
#include "matting/client/OutputFile.h"
#include "net/transport/FormPoster.h"

namespace quillora::matting {

MattingClient::MattingClient(MattingIdentity identity, std::string signingKey,
                             std::string endpointUrl)
    : identity_(std::move(identity)),
      signingKey_(std::move(signingKey)),
      endpointUrl_(std::move(endpointUrl)),
      nowMillis_(NowMillis) {}

ParameterMap MattingClient::CommonParameters() const {
    return {
        {"adid", identity_.adid},
        {"lc", identity_.lc},
        {"partner_id", identity_.partner_id},
        {"product_id", identity_.product_id},
        {"username", identity_.username},
        {"version", identity_.version},
        {"uid", identity_.uid},
        {"platform", identity_.platform},
        {"t", DecimalText(nowMillis_())},
    };
}

ParameterMap MattingClient::CutOutParameters(std::string_view image, const std::string& filetype,
                                             const CutOutOptions& options) const {
    ParameterMap parameters = CommonParameters();
    parameters["image"] = codec::Base64Encode(image);
    parameters["filetype"] = filetype;
    parameters["imagesize"] = DecimalText(static_cast<std::int64_t>(image.size()));
    parameters["cutobj"] = DecimalText(options.cutobj);
    parameters["alphamatting"] = DecimalText(options.alphamatting ? 1 : 0);
    parameters["s"] = SignParameters(parameters, signingKey_);
    return parameters;
}

ParameterMap MattingClient::RefineParameters(std::string_view image, std::string_view mask,
                                             const std::string& filetype) const {
    ParameterMap parameters = CommonParameters();
    parameters["image"] = codec::Base64Encode(image);
    parameters["mask"] = codec::Base64Encode(mask);
    parameters["filetype"] = filetype;
    parameters["imagesize"] = DecimalText(static_cast<std::int64_t>(image.size()));
    if (filetype == "jpg") {
        parameters["quality"] = DecimalText(jpegQuality_);
    }
    parameters["s"] = SignParameters(parameters, signingKey_);
    return parameters;
}

bool MattingClient::Exchange(ParameterMap parameters, std::string& cutOut) const {
    std::string body = EncodeForm(parameters);
    parameters.clear();
    const std::string answer =
        net::FormPoster(false).PostForm(endpointUrl_, body, kMattingHeaderLine);
    body.clear();
    body.shrink_to_fit();
    auto decoded = DecodeMattingAnswer(answer);
    if (!decoded) {
        return false;
    }
    cutOut = std::move(*decoded);
    return true;
}

bool MattingClient::ExchangeToFile(ParameterMap parameters,
                                   const std::filesystem::path& outputPath) const {
    std::string cutOut;
    return Exchange(std::move(parameters), cutOut) && WriteOutputFile(outputPath, cutOut);
}

bool MattingClient::RequestCutOutFile(const std::filesystem::path& sourcePath,
                                      const std::string& filetype, const CutOutOptions& options,
                                      const std::filesystem::path& outputPath) {
    outputPath_ = outputPath;
    const auto source = ReadSourceFile(sourcePath, kMaxSourceBytes);
    if (!source) {
        return false;
    }
    return ExchangeToFile(CutOutParameters(*source, filetype, options), outputPath);
}

bool MattingClient::RequestCutOutData(const void* bytes, std::size_t length,
                                      const std::string& filetype, const CutOutOptions& options,
                                      std::string& out) {
    if (bytes == nullptr || length < 1) {
        return false;
    }
    const std::string_view image(static_cast<const char*>(bytes), length);
    return Exchange(CutOutParameters(image, filetype, options), out);
}

bool MattingClient::RequestRefineFile(const std::filesystem::path& sourcePath,
                                      const std::filesystem::path& maskPath,
                                      const std::string& filetype,
                                      const std::filesystem::path& outputPath) {
    outputPath_ = outputPath;
    const auto source = ReadSourceFile(sourcePath, kMaxSourceBytes);
    const auto mask = source ? ReadSourceFile(maskPath, kMaxSourceBytes) : std::nullopt;
    if (!source || !mask) {
        return false;
    }
    return ExchangeToFile(RefineParameters(*source, *mask, filetype), outputPath);
}

bool MattingClient::RequestRefineData(const void* imageBytes, std::size_t imageLength,
                                      const void* maskBytes, std::size_t maskLength,
                                      const std::string& filetype, std::string& out) {
    if (imageBytes == nullptr || imageLength < 1 || maskBytes == nullptr || maskLength < 1) {
        return false;
    }
    return Exchange(
        RefineParameters(std::string_view(static_cast<const char*>(imageBytes), imageLength),
                         std::string_view(static_cast<const char*>(maskBytes), maskLength),
                         filetype),
        out);
}

}  // namespace quillora::matting
