#include "identity/MachineCode.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "common/codec/Digest.h"
#include "identity/BiosFingerprint.h"
#include "identity/DiskSerial.h"

namespace quillora::identity {

std::string GetHardwareText(HardwareSources& sources) {
    std::string text = ReadDiskSerial(sources, 0);
    text += ReadBiosFingerprint(sources);
    if (text.empty()) {
        text = ReadDiskSerial(sources, 1);
    }
    if (text.size() > kMaxHardwareTextBytes) {
        text.resize(kMaxHardwareTextBytes);
    }
    return codec::Md5Hex(text);
}

std::string MachineCodeFromHardwareText(const std::string& hardwareText) {
    std::string code = codec::Md5Hex(hardwareText.empty() ? std::string("1") : hardwareText);
    code.resize(kMachineCodeChars);
    std::transform(code.begin(), code.end(), code.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return code;
}

std::string ComputeMachineCode(HardwareSources& sources) {
    return MachineCodeFromHardwareText(GetHardwareText(sources));
}

std::string GetMachineCode(std::size_t maxChars) {
    static std::once_flag once;
    static std::string code;
    std::call_once(once, [] {
        const std::unique_ptr<HardwareSources> sources = MakeSystemHardwareSources();
        code = ComputeMachineCode(*sources);
    });
    return code.substr(0, std::min(maxChars, code.size()));
}

}  // namespace quillora::identity
