#pragma once

#include <string>
#include <string_view>

namespace quillora::test {

// Bytes from hexadecimal text, for writing published vectors as they are printed.
inline std::string FromHex(std::string_view hex) {
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    }
    return bytes;
}

}  // namespace quillora::test
