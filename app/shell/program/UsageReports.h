#pragma once

namespace quillora::shell {

// Plugs the statistics reporter and the machine code into start-up.
void PlugInUsageReports();

}  // namespace quillora::shell
