#pragma once

#include <QByteArray>

namespace quillora::skin {

// The skin archive compiled into the program: the bytes of a Qt binary
// resource archive, valid for the whole run; empty when it is missing.
QByteArray EmbeddedArchive();

}  // namespace quillora::skin
