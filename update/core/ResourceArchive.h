#pragma once

#include <cstddef>
#include <string_view>

namespace quillora::update {

// True when the bytes are a whole Qt binary resource archive: the header, and
// every entry of its tree with its name and data inside the bytes. Qt's own
// loader trusts the offsets of an archive held in memory, so a truncated or
// damaged "toolbox.dat" is checked here before it is handed over.
bool IsCompleteResourceArchive(std::string_view bytes);

}  // namespace quillora::update
