#pragma once

#include <QStringView>

namespace quillora::platform {

// Reads an integer the way the Windows profile-integer call does once it has
// the value text: leading blanks skipped, an optional sign, a "0x", "0o" or
// "0b" prefix choosing the base, then digits up to the first character that is
// not one ("12abc" gives 12, "abc" gives 0). Arithmetic wraps at 32 bits, as
// the call's unsigned result does.
int ProfileInt(QStringView text);

}  // namespace quillora::platform
