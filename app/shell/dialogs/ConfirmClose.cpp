#include "app/shell/dialogs/ConfirmClose.h"

#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/QuilloraRegistry.h"
#include "app/shell/dialogs/MessageDlg.h"

namespace quillora {

bool ConfirmClose(QWidget* parent) {
    QuilloraRegistry registry = QuilloraRegistry::Open();
    return ConfirmClose(parent, registry);
}

bool ConfirmClose(QWidget* parent, QuilloraRegistry& registry) {
    if (registry.readCloseConfirm() == 0) {
        return true;
    }
    CMessageDlg dialog(LangText(langkey::ui::kCloseProgram), LangText(langkey::message::kTitle),
                       kMessageQuestion, false, kMessageHighlight);
    dialog.showNoShowAgain = true;
    RunMessageDialog(dialog, parent);
    if (dialog.NoShowAgainChecked()) {
        registry.writeCloseConfirm(0);
    }
    return dialog.result == kMessageYes;
}

}  // namespace quillora
