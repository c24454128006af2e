#include "identity/linux/AtaIdentify.h"

namespace quillora::identity {

namespace {

constexpr std::size_t kSerialFirstWord = 10;
constexpr std::size_t kSerialWords = 10;

}  // namespace

std::string SerialFromIdentify(std::string_view identify) {
    if (identify.size() < (kSerialFirstWord + kSerialWords) * 2) {
        return {};
    }
    std::string serial;
    for (std::size_t word = kSerialFirstWord; word < kSerialFirstWord + kSerialWords; ++word) {
        // Little-endian word in memory: the high byte is the second one.
        serial.push_back(identify[word * 2 + 1]);
        serial.push_back(identify[word * 2]);
    }
    if (const std::size_t nul = serial.find('\0'); nul != std::string::npos) {
        serial.resize(nul);
    }
    while (!serial.empty() && serial.back() == ' ') {
        serial.pop_back();
    }
    return serial;
}

}  // namespace quillora::identity
