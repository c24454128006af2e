#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillora::identity {

// The BIOS area read for the fingerprint: one page of physical memory.
inline constexpr std::uint64_t kBiosAreaAddress = 0xFE000;
inline constexpr std::size_t kBiosAreaBytes = 4096;

// The raw hardware queries behind the machine code. Each answers empty text
// when the device is missing or the process lacks the right to ask; none
// throws. Tests feed known serials and a known BIOS area through their own
// implementation.
class HardwareSources {
public:
    virtual ~HardwareSources() = default;

    // Serials from the ATA IDENTIFY data of drives 0 to 3, in drive order,
    // run together.
    virtual std::string IdentifySerials() = 0;
    // Serials from the IDENTIFY data fetched through the SCSI pass-through of
    // ports 0 and 1, run together.
    virtual std::string PassThroughSerials() = 0;
    // The serial of the first of drives 0 to 3 whose storage description
    // names one; the search stops at the first drive that cannot be asked.
    virtual std::string StorageSerial() = 0;
    // Exactly kBiosAreaBytes bytes from kBiosAreaAddress, or empty.
    virtual std::string BiosArea() = 0;
};

// The readers of this machine's hardware.
std::unique_ptr<HardwareSources> MakeSystemHardwareSources();

}  // namespace quillora::identity
