#pragma once

#include <QString>

#include <cstdint>

namespace quillora {

// A byte count as the program shows it, the unit right after the number:
// up to 1024 bytes the whole count and the language's [UI] Byte text
// ("1024B"); up to 1 MiB the count in KiB with two decimals and "KB"
// ("1.00KB"); up to 1 GiB in MiB ("1.50MB"); above that in GiB ("GB"). The
// division is done in single precision.
QString FormatByteSize(std::uint64_t bytes);

// The same with the unit text for small counts given, for callers that
// already hold it (and for tests).
QString FormatByteSize(std::uint64_t bytes, const QString& byteUnit);

}  // namespace quillora
