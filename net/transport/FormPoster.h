#pragma once

#include <string>

namespace quillora::net {

// The form POST of the matting request. The answer comes back byte for byte
// unless convertUtf8 is set, in which case it is turned into well-formed
// UTF-8 text (the program's ANSI code page).
class FormPoster {
public:
    explicit FormPoster(bool convertUtf8 = false) : convertUtf8_(convertUtf8) {}

    // Posts `body` (already form-encoded) with the one extra header line.
    // Returns the whole answer, or empty text when the request failed, timed
    // out or the answer passed kMaxFormAnswerBytes. The HTTP status is not
    // looked at: callers judge the answer by its content.
    std::string PostForm(const std::string& url, const std::string& body,
                         const std::string& headerLine);

private:
    bool convertUtf8_;
};

}  // namespace quillora::net
