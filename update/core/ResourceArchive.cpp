#include "update/core/ResourceArchive.h"

#include <cstdint>
#include <vector>

namespace quillora::update {
namespace {

constexpr std::uint16_t kDirectoryFlag = 0x02;

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

// `length` bytes from `at` lie inside the archive.
bool Inside(std::string_view bytes, std::uint64_t at, std::uint64_t length) {
    return at <= bytes.size() && length <= bytes.size() - at;
}

}  // namespace

bool IsCompleteResourceArchive(std::string_view bytes) {
    if (bytes.size() < 20 || bytes.substr(0, 4) != "qres") {
        return false;
    }
    const std::uint32_t version = Read32(bytes, 4);
    if (version < 1 || version > 3) {
        return false;
    }
    const std::uint64_t tree = Read32(bytes, 8);
    const std::uint64_t data = Read32(bytes, 12);
    const std::uint64_t names = Read32(bytes, 16);
    const std::uint64_t header = version >= 3 ? 24 : 20;
    if (bytes.size() < header || tree < header || data < header || names < header ||
        tree >= bytes.size() || data >= bytes.size() || names >= bytes.size()) {
        return false;
    }
    const std::uint64_t nodeSize = version >= 2 ? 22 : 14;
    const std::uint64_t nodeCount = (bytes.size() - tree) / nodeSize;
    if (nodeCount == 0) {
        return false;
    }
    std::vector<bool> seen(nodeCount, false);
    std::vector<std::uint64_t> pending{0};
    while (!pending.empty()) {
        const std::uint64_t node = pending.back();
        pending.pop_back();
        if (node >= nodeCount || seen[node]) {
            return false;  // outside the tree, or a loop
        }
        seen[node] = true;
        const std::uint64_t at = tree + node * nodeSize;
        const std::uint64_t nameAt = names + Read32(bytes, at);
        if (node != 0) {
            if (!Inside(bytes, nameAt, 6) ||
                !Inside(bytes, nameAt + 6, std::uint64_t{Read16(bytes, nameAt)} * 2)) {
                return false;
            }
        }
        const std::uint16_t flags = Read16(bytes, at + 4);
        if ((flags & kDirectoryFlag) != 0) {
            const std::uint64_t count = Read32(bytes, at + 6);
            const std::uint64_t first = Read32(bytes, at + 10);
            if (first > nodeCount || count > nodeCount - first) {
                return false;
            }
            for (std::uint64_t child = first; child < first + count; ++child) {
                pending.push_back(child);
            }
        } else {
            const std::uint64_t dataAt = data + Read32(bytes, at + 10);
            if (!Inside(bytes, dataAt, 4) || !Inside(bytes, dataAt + 4, Read32(bytes, dataAt))) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace quillora::update
