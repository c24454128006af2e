#include "ui/DialogBuilder.h"

#include "ui/ListUI.h"
#include "ui/PaintManager.h"
#include "ui/PictureUI.h"
#include "ui/TextSupplier.h"

#include <QFile>
#include <QUiLoader>
#include <QWidget>

namespace quillora::ui {

namespace {

QString& LastErrorText() {
    static QString text;
    return text;
}

// Layout classes of the library itself, then the window's callback, then Qt's
// own widgets. An unknown class name is reported instead of silently becoming
// a plain widget.
class LayoutLoader : public QUiLoader {
public:
    explicit LayoutLoader(IDialogBuilderCallback* callback) : callback_(callback) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = nullptr;
        if (callback_ != nullptr) {
            widget = callback_->CreateControl(className, parent);
        }
        if (widget == nullptr) {
            widget = CreateLibraryControl(className, parent);
        }
        if (widget == nullptr) {
            widget = QUiLoader::createWidget(className, parent, name);
        }
        if (widget == nullptr) {
            // Keep the rest of the layout: an unknown class becomes a plain
            // container under the same name.
            qWarning("layout: unknown control class %s (%s)", qPrintable(className),
                     qPrintable(name));
            widget = new QWidget(parent);
        }
        widget->setObjectName(name);
        return widget;
    }

private:
    static QWidget* CreateLibraryControl(const QString& className, QWidget* parent) {
        if (className == QLatin1String("CListUI")) {
            return new CListUI(parent);
        }
        if (className == QLatin1String("CTileLayoutUI")) {
            return new CTileLayoutUI(parent);
        }
        if (className == QLatin1String("CListContainerElementUI")) {
            return new CListContainerElementUI(parent);
        }
        if (className == QLatin1String("CPictureUI")) {
            return new CPictureUI(parent);
        }
        return nullptr;
    }

    IDialogBuilderCallback* callback_;
};

}  // namespace

QWidget* CDialogBuilder::Create(const QString& layoutName, IDialogBuilderCallback* callback,
                                QWidget* parent) {
    const QString path = CPaintManagerUI::ResourcePath(layoutName);
    if (path.isEmpty()) {
        LastErrorText() = QStringLiteral("layout %1 not found").arg(layoutName);
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        LastErrorText() = QStringLiteral("layout %1 cannot be read").arg(layoutName);
        return nullptr;
    }
    LayoutLoader loader(callback);
    QWidget* root = loader.load(&file, parent);
    if (root == nullptr) {
        LastErrorText() = QStringLiteral("layout %1: %2").arg(layoutName, loader.errorString());
        return nullptr;
    }
    CSkinManager::ApplyTexts(root);
    return root;
}

QString CDialogBuilder::LastError() {
    return LastErrorText();
}

}  // namespace quillora::ui
