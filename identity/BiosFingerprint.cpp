#include "identity/BiosFingerprint.h"

#include <cstdio>

#include "common/codec/Crc32.h"

namespace quillora::identity {

namespace {

std::string CrcText(std::string_view bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(codec::Crc32(bytes)));
    return text;
}

}  // namespace

std::string BiosFingerprintOf(std::string_view area) {
    if (area.size() != kBiosAreaBytes) {
        return {};
    }
    return CrcText(area.substr(kFirstWindowOffset, kWindowBytes)) +
           CrcText(area.substr(kSecondWindowOffset, kWindowBytes));
}

std::string ReadBiosFingerprint(HardwareSources& sources) {
    return BiosFingerprintOf(sources.BiosArea());
}

}  // namespace quillora::identity
