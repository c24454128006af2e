#pragma once

#include <QString>
#include <QStringView>

namespace quillora::platform {

// The operating system's name for reports and the toolbox: the distribution
// id and version from /etc/os-release run together ("debian12"), "Linux" when
// that file says nothing usable. Only letters, digits, "." and "-" appear, so
// the name can go into a query string as it is.
QString OsName();

// The name OsName() derives from the text of an os-release file.
QString OsNameFromOsRelease(QStringView osRelease);

// 64 on a 64-bit system, else 32.
int OsBitness();

}  // namespace quillora::platform
