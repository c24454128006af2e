#pragma once

#include <string>

#include "identity/HardwareSources.h"

namespace quillora::test {

// Hardware sources with fixed answers that count how often each is asked.
class FakeSources final : public identity::HardwareSources {
public:
    std::string identify;
    std::string passThrough;
    std::string storage;
    std::string bios;
    int identifyCalls = 0;
    int passThroughCalls = 0;
    int storageCalls = 0;
    int biosCalls = 0;

    std::string IdentifySerials() override {
        ++identifyCalls;
        return identify;
    }
    std::string PassThroughSerials() override {
        ++passThroughCalls;
        return passThrough;
    }
    std::string StorageSerial() override {
        ++storageCalls;
        return storage;
    }
    std::string BiosArea() override {
        ++biosCalls;
        return bios;
    }
};

}  // namespace quillora::test
