#pragma once

namespace quillora::net {

// Opened around every text request. It makes sure libcurl is initialised
// (once per process; see EnsureCurlGlobalInit) and carries the choice of how
// received bytes become text: UTF-8 when set, the ANSI code page otherwise.
// The ANSI code page of this program is UTF-8, so both give the same text.
class CurlScope {
public:
    explicit CurlScope(bool utf8);
    CurlScope(const CurlScope&) = delete;
    CurlScope& operator=(const CurlScope&) = delete;

    bool utf8() const { return utf8_; }

private:
    bool utf8_;
};

}  // namespace quillora::net
