#include "identity/DiskSerial.h"

namespace quillora::identity {

namespace {

std::string IdentifyThenPassThrough(HardwareSources& sources) {
    std::string serials = sources.IdentifySerials();
    if (serials.empty()) {
        serials = sources.PassThroughSerials();
    }
    return serials;
}

}  // namespace

std::string ReadDiskSerial(HardwareSources& sources, int mode) {
    switch (mode) {
        case 0:
            return IdentifyThenPassThrough(sources);
        case 1: {
            std::string serial = sources.StorageSerial();
            return serial.empty() ? IdentifyThenPassThrough(sources) : serial;
        }
        default:
            return {};
    }
}

}  // namespace quillora::identity
