#pragma once

#include <string>

#include "identity/HardwareSources.h"

namespace quillora::identity {

// Mode 0: the IDENTIFY serials, or when none answers, the pass-through
// serials. Mode 1: the storage serial, or when there is none, mode 0's
// search. Any other mode gives empty text.
std::string ReadDiskSerial(HardwareSources& sources, int mode);

}  // namespace quillora::identity
