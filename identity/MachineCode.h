#pragma once

#include <cstddef>
#include <string>

#include "identity/HardwareSources.h"

namespace quillora::identity {

// Length of the machine code: upper-case hexadecimal digits.
inline constexpr std::size_t kMachineCodeChars = 16;
// Longest hardware text hashed; longer texts are cut.
inline constexpr std::size_t kMaxHardwareTextBytes = 4096;

// MD5 (lower-case hex) of ReadDiskSerial(0) + ReadBiosFingerprint(), or of
// ReadDiskSerial(1) when both of those are empty. Never empty.
std::string GetHardwareText(HardwareSources& sources);

// The first 16 digits, upper-cased, of the MD5 hex of the hardware text
// ("1" stands in for an empty one).
std::string MachineCodeFromHardwareText(const std::string& hardwareText);

// The whole chain on the given sources, computed afresh.
std::string ComputeMachineCode(HardwareSources& sources);

// The code of this machine, cut to maxChars. The hardware is asked once per
// process, on the first call; every later call (from any thread) returns the
// same text.
std::string GetMachineCode(std::size_t maxChars = 256);

}  // namespace quillora::identity
