#include <fcntl.h>
#include <linux/hdreg.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "identity/HardwareSources.h"
#include "identity/linux/AtaIdentify.h"

namespace quillora::identity {

namespace {

// Drives 0 to 3 and the two pass-through ports, as on the first system.
constexpr std::size_t kMaxDrives = 4;
constexpr int kPassThroughPorts = 2;
constexpr std::size_t kMaxSerialFileBytes = 256;

// Closes a descriptor on every path out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

bool IsPhysicalDisk(std::string_view name) {
    for (std::string_view virtualKind : {"loop", "ram", "zram", "dm-", "md", "sr", "nbd"}) {
        if (name.substr(0, virtualKind.size()) == virtualKind) {
            return false;
        }
    }
    return true;
}

// Whole disks in name order ("sda", "sdb", "vda", "nvme0n1"), at most four:
// they play the part of physical drives 0 to 3.
std::vector<std::string> DiskNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/block", error)) {
        std::string name = entry.path().filename().string();
        if (IsPhysicalDisk(name)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    if (names.size() > kMaxDrives) {
        names.resize(kMaxDrives);
    }
    return names;
}

std::string IdentifySerialOf(const std::string& disk) {
    const Descriptor fd(::open(("/dev/" + disk).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        return {};
    }
    std::array<char, kIdentifyBytes> identify{};
    if (::ioctl(fd.get(), HDIO_GET_IDENTITY, identify.data()) != 0) {
        return {};
    }
    return SerialFromIdentify({identify.data(), identify.size()});
}

// ATA PASS-THROUGH (16), PIO data-in, 512 bytes from the device: the
// IDENTIFY command sent through the SCSI layer.
std::string PassThroughSerialOf(const std::string& device, unsigned char command) {
    const Descriptor fd(::open(device.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        return {};
    }
    std::array<unsigned char, 16> cdb{};
    cdb[0] = 0x85;    // ATA PASS-THROUGH (16)
    cdb[1] = 4 << 1;  // protocol: PIO data-in
    cdb[2] = 0x0E;    // from the device, length in blocks, in the sector count
    cdb[6] = 1;       // one block
    cdb[14] = command;
    std::array<char, kIdentifyBytes> identify{};
    std::array<unsigned char, 32> sense{};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = SG_DXFER_FROM_DEV;
    io.cmd_len = cdb.size();
    io.cmdp = cdb.data();
    io.dxfer_len = identify.size();
    io.dxferp = identify.data();
    io.mx_sb_len = sense.size();
    io.sbp = sense.data();
    io.timeout = 5000;
    if (::ioctl(fd.get(), SG_IO, &io) != 0 || (io.info & SG_INFO_OK_MASK) != SG_INFO_OK) {
        return {};
    }
    return SerialFromIdentify({identify.data(), identify.size()});
}

// The first line of a small sysfs file; false when the file cannot be read.
bool ReadSerialFile(const std::filesystem::path& path, std::string& serial) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::array<char, kMaxSerialFileBytes> buffer{};
    in.read(buffer.data(), buffer.size());
    serial.assign(buffer.data(), static_cast<std::size_t>(in.gcount()));
    serial = serial.substr(0, serial.find_first_of("\n\0", 0, 2));
    while (!serial.empty() && serial.back() == ' ') {
        serial.pop_back();
    }
    return true;
}

class LinuxHardwareSources final : public HardwareSources {
public:
    std::string IdentifySerials() override {
        std::string serials;
        for (const std::string& disk : DiskNames()) {
            serials += IdentifySerialOf(disk);
        }
        return serials;
    }

    std::string PassThroughSerials() override {
        std::string serials;
        for (int port = 0; port < kPassThroughPorts; ++port) {
            const std::string device = "/dev/sg" + std::to_string(port);
            std::string serial = PassThroughSerialOf(device, kAtaIdentifyDevice);
            if (serial.empty()) {
                serial = PassThroughSerialOf(device, kAtaIdentifyPacketDevice);
            }
            serials += serial;
        }
        return serials;
    }

    std::string StorageSerial() override {
        for (const std::string& disk : DiskNames()) {
            // SCSI and NVMe disks keep it under device/, virtio disks beside it.
            const std::filesystem::path block = std::filesystem::path("/sys/block") / disk;
            std::string serial;
            if (!ReadSerialFile(block / "device" / "serial", serial) &&
                !ReadSerialFile(block / "serial", serial)) {
                return {};
            }
            if (!serial.empty()) {
                return serial;
            }
        }
        return {};
    }

    std::string BiosArea() override {
        const Descriptor fd(::open("/dev/mem", O_RDONLY | O_CLOEXEC));
        if (!fd.valid()) {
            return {};
        }
        void* view = ::mmap(nullptr, kBiosAreaBytes, PROT_READ, MAP_SHARED, fd.get(),
                            static_cast<off_t>(kBiosAreaAddress));
        if (view == MAP_FAILED) {
            return {};
        }
        std::string area(static_cast<const char*>(view), kBiosAreaBytes);
        ::munmap(view, kBiosAreaBytes);
        return area;
    }
};

}  // namespace

std::unique_ptr<HardwareSources> MakeSystemHardwareSources() {
    return std::make_unique<LinuxHardwareSources>();
}

}  // namespace quillora::identity
