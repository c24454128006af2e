#include <gtest/gtest.h>

#include <string>

#include "identity/BiosFingerprint.h"
#include "identity/DiskSerial.h"
#include "identity/MachineCode.h"
#include "tests/identity/FakeSources.h"

// Expected codes and CRCs below were computed with Python's hashlib and
// zlib.crc32, not with the code under test.
namespace quillora::identity {
namespace {

using test::FakeSources;

// A BIOS area with no repeating period, so the two windows differ.
std::string KnownBiosArea() {
    std::string area(kBiosAreaBytes, '\0');
    for (std::size_t i = 0; i < area.size(); ++i) {
        area[i] = static_cast<char>((i * i * 31 + (i >> 5)) & 0xff);
    }
    return area;
}

bool IsUpperHex(const std::string& text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

TEST(MachineCodeTest, EmptySourcesGiveTheCodeOfTheEmptyText) {
    FakeSources sources;
    EXPECT_EQ(GetHardwareText(sources), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(ComputeMachineCode(sources), "74BE16979710D4C4");
}

TEST(MachineCodeTest, BiosAloneGivesACode) {
    FakeSources sources;
    sources.bios = KnownBiosArea();
    EXPECT_EQ(ReadBiosFingerprint(sources), "8DAEDBD1D3911295");
    EXPECT_EQ(GetHardwareText(sources), "24767d6458168d33434be7f7ec600b21");
    EXPECT_EQ(ComputeMachineCode(sources), "CFBE01E7377CF227");
    EXPECT_EQ(sources.storageCalls, 0);
}

TEST(MachineCodeTest, DiskSerialComesBeforeTheBiosFingerprint) {
    FakeSources sources;
    sources.identify = "WD-WCC4E1234567";
    sources.bios = KnownBiosArea();
    EXPECT_EQ(ComputeMachineCode(sources), "7D3528B73BE80324");
}

TEST(MachineCodeTest, StorageSerialOnlyWhenBothFirstSourcesAreEmpty) {
    FakeSources withDisk;
    withDisk.identify = "S1";
    withDisk.storage = "QM00001";
    GetHardwareText(withDisk);
    EXPECT_EQ(withDisk.storageCalls, 0);

    FakeSources withBios;
    withBios.bios = KnownBiosArea();
    withBios.storage = "QM00001";
    GetHardwareText(withBios);
    EXPECT_EQ(withBios.storageCalls, 0);

    FakeSources storageOnly;
    storageOnly.storage = "QM00001";
    EXPECT_EQ(ComputeMachineCode(storageOnly), "AD4ADA37B60B83D9");
    EXPECT_EQ(storageOnly.storageCalls, 1);
}

TEST(MachineCodeTest, CodeIsSixteenUpperCaseHexDigits) {
    for (const char* text : {"", "1", "abcdef", "d41d8cd98f00b204e9800998ecf8427e", "\xff\xfe"}) {
        const std::string code = MachineCodeFromHardwareText(text);
        EXPECT_EQ(code.size(), kMachineCodeChars) << text;
        EXPECT_TRUE(IsUpperHex(code)) << code;
    }
    // An empty hardware text is hashed as "1".
    EXPECT_EQ(MachineCodeFromHardwareText(""), MachineCodeFromHardwareText("1"));
}

TEST(MachineCodeTest, ProcessCodeIsStableAndCut) {
    const std::string code = GetMachineCode();
    EXPECT_EQ(code.size(), kMachineCodeChars);
    EXPECT_TRUE(IsUpperHex(code));
    EXPECT_EQ(GetMachineCode(), code);
    EXPECT_EQ(GetMachineCode(5), code.substr(0, 5));
}

TEST(DiskSerialTest, ModeZeroFallsBackToThePassThrough) {
    FakeSources sources;
    sources.identify = "A1";
    sources.passThrough = "P1";
    EXPECT_EQ(ReadDiskSerial(sources, 0), "A1");
    EXPECT_EQ(sources.passThroughCalls, 0);
    sources.identify.clear();
    EXPECT_EQ(ReadDiskSerial(sources, 0), "P1");
    EXPECT_EQ(sources.storageCalls, 0);
}

TEST(DiskSerialTest, ModeOnePrefersTheStorageSerial) {
    FakeSources sources;
    sources.storage = "ST";
    sources.identify = "A1";
    EXPECT_EQ(ReadDiskSerial(sources, 1), "ST");
    EXPECT_EQ(sources.identifyCalls, 0);
    sources.storage.clear();
    EXPECT_EQ(ReadDiskSerial(sources, 1), "A1");
    EXPECT_EQ(ReadDiskSerial(sources, 7), "");
}

TEST(BiosFingerprintTest, SmallCrcsKeepFourDigits) {
    // Bytes 100-103 force the first window's CRC to 0x00000ABC and bytes
    // 3000-3003 the second's to 0x0000001F.
    std::string area = KnownBiosArea();
    const unsigned char first[] = {65, 59, 21, 158};
    const unsigned char second[] = {198, 239, 102, 90};
    area.replace(100, 4, reinterpret_cast<const char*>(first), 4);
    area.replace(3000, 4, reinterpret_cast<const char*>(second), 4);
    EXPECT_EQ(BiosFingerprintOf(area), "0ABC001F");
}

TEST(BiosFingerprintTest, AnAreaOfTheWrongSizeGivesNothing) {
    EXPECT_EQ(BiosFingerprintOf(std::string(kBiosAreaBytes - 1, 'x')), "");
    EXPECT_EQ(BiosFingerprintOf(""), "");
}

}  // namespace
}  // namespace quillora::identity
