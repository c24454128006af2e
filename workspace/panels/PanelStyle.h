#pragma once

#include <QString>

namespace quillora {

// The style sheet of the tool panels and picture tiles ("tool_panels.qss" of
// the skin), with its pictures pointing wherever the skin is read from.
// Empty when the skin has none.
QString ToolPanelStyle();

}  // namespace quillora
