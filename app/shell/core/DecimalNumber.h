#pragma once

#include <QStringView>

namespace quillora::shell {

// Reads a signed 64-bit decimal number the forgiving way: leading blanks, an
// optional sign, then digits up to the first other character. Text without
// digits reads as 0; a number beyond the range reads as the nearest limit.
qint64 ReadInt64(QStringView text);

}  // namespace quillora::shell
