#include "update/core/ResourceArchive.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace quillora::update {
namespace {

#ifdef QUILLORA_SAMPLE_TOOLBOX
std::string SampleArchive() {
    std::ifstream in(QUILLORA_SAMPLE_TOOLBOX, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ResourceArchive, SampleIsWholeAndEveryTruncationIsRefused) {
    const std::string archive = SampleArchive();
    ASSERT_GT(archive.size(), 100u);
    EXPECT_TRUE(IsCompleteResourceArchive(archive));
    for (std::size_t size = 0; size < archive.size(); ++size) {
        EXPECT_FALSE(IsCompleteResourceArchive(std::string_view(archive).substr(0, size)))
            << "cut at " << size;
    }
}

TEST(ResourceArchive, DamagedBytesNeverReadOutside) {
    const std::string archive = SampleArchive();
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> where(0, archive.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = archive;
        for (int i = 0; i < 4; ++i) {
            damaged[where(random)] = static_cast<char>(value(random));
        }
        // Copied to a buffer of its own size, so a read past it is caught.
        refused += IsCompleteResourceArchive(damaged) ? 0 : 1;
    }
    EXPECT_GT(refused, 0);
}

TEST(ResourceArchive, LoopInTheTreeIsRefused) {
    std::string archive = SampleArchive();
    const auto tree = (std::uint32_t{static_cast<unsigned char>(archive[8])} << 24) |
                      (std::uint32_t{static_cast<unsigned char>(archive[9])} << 16) |
                      (std::uint32_t{static_cast<unsigned char>(archive[10])} << 8) |
                      std::uint32_t{static_cast<unsigned char>(archive[11])};
    // The root directory's first child becomes the root itself.
    for (int i = 0; i < 4; ++i) {
        archive[tree + 10 + i] = 0;
    }
    EXPECT_FALSE(IsCompleteResourceArchive(archive));
}
#endif

TEST(ResourceArchive, HeadersThatAreNotArchives) {
    EXPECT_FALSE(IsCompleteResourceArchive(""));
    EXPECT_FALSE(IsCompleteResourceArchive("qres"));
    EXPECT_FALSE(IsCompleteResourceArchive(std::string("PK\x03\x04", 4) + std::string(60, '\0')));
    std::string header("qres\0\0\0\x09", 8);
    header += std::string(40, '\x01');
    EXPECT_FALSE(IsCompleteResourceArchive(header));  // version 9
}

}  // namespace
}  // namespace quillora::update
