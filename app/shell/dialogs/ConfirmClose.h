#pragma once

class QWidget;

namespace quillora {

class QuilloraRegistry;

// The exit question of the main window. True when the program may close:
// at once when the user asked not to be asked again (registry CloseConfirm
// 0), else when the answer is "yes". Ticking "Don't ask again" stores
// CloseConfirm 0 whatever the answer was.
bool ConfirmClose(QWidget* parent);
bool ConfirmClose(QWidget* parent, QuilloraRegistry& registry);

}  // namespace quillora
