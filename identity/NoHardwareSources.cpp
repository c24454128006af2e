#include "identity/HardwareSources.h"

namespace quillora::identity {

namespace {

// Systems without a reader of their own: every source is empty, so the code
// is the fixed one of a machine where nothing answers.
class NoHardwareSources final : public HardwareSources {
public:
    std::string IdentifySerials() override { return {}; }
    std::string PassThroughSerials() override { return {}; }
    std::string StorageSerial() override { return {}; }
    std::string BiosArea() override { return {}; }
};

}  // namespace

std::unique_ptr<HardwareSources> MakeSystemHardwareSources() {
    return std::make_unique<NoHardwareSources>();
}

}  // namespace quillora::identity
