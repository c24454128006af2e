#include "ui/LayoutControl.h"

#include "ui/DialogBuilder.h"

#include <QVBoxLayout>

namespace quillora::ui {

CLayoutControlUI::CLayoutControlUI(const QString& layoutName, IDialogBuilderCallback* callback,
                                   QWidget* parent)
    : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    body_ = CDialogBuilder::Create(layoutName, callback, this);
    if (body_ == nullptr) {
        qWarning("%s", qPrintable(CDialogBuilder::LastError()));
        return;
    }
    column->addWidget(body_);
}

}  // namespace quillora::ui
