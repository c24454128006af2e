#include "matting/client/MattingAnswer.h"

#include "common/codec/Base64.h"
#include "net/json/JsonRead.h"
#include "net/transport/TransportOptions.h"

namespace quillora::matting {

std::optional<std::string> DecodeMattingAnswer(std::string_view answer) {
    if (answer.empty() || answer.front() != '{') {
        return std::nullopt;
    }
    Json::Value root;
    if (!net::ParseJson(answer, root) || !net::JsonTruthy(net::JsonMember(root, "result"))) {
        return std::nullopt;
    }
    const Json::Value& image = net::JsonMember(root, "image");
    // The image text is read in place: copying a 40 MB string out of the
    // parsed document would cost one more copy of the whole answer.
    const char* begin = nullptr;
    const char* end = nullptr;
    std::string printed;
    if (!image.getString(&begin, &end)) {
        printed = net::JsonString(image);
        begin = printed.data();
        end = begin + printed.size();
    }
    if (begin == end) {
        return std::nullopt;
    }
    return codec::Base64Decode(std::string_view(begin, static_cast<std::size_t>(end - begin)),
                               net::kMaxFormAnswerBytes);
}

}  // namespace quillora::matting
