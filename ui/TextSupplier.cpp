#include "ui/TextSupplier.h"

#include "ui/Controls.h"
#include "ui/PaintManager.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QWidget>

namespace quillora::ui {

namespace {

constexpr char kTextId[] = "textid";
constexpr char kTipId[] = "tipid";
constexpr char kPlaceholderId[] = "placeholderid";

struct TextState {
    IReloadControlText* supplier = nullptr;
    QHash<QString, QString> table;
    QHash<QString, QString> fallback;
};

TextState& State() {
    static TextState state;
    return state;
}

QHash<QString, QString> LoadTable(const QString& language) {
    QFile file(CPaintManagerUI::ResourcePath(QStringLiteral("strings/%1.txt").arg(language)));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return ParseStringTable(file.readAll());
}

void ApplyTo(QWidget* widget) {
    const QString textId = widget->property(kTextId).toString();
    if (!textId.isEmpty()) {
        SetWidgetText(widget, CSkinManager::ControlText(textId));
    }
    const QString tipId = widget->property(kTipId).toString();
    if (!tipId.isEmpty()) {
        widget->setToolTip(CSkinManager::ControlText(tipId));
    }
    const QString placeholderId = widget->property(kPlaceholderId).toString();
    if (auto* edit = qobject_cast<QLineEdit*>(widget);
        edit != nullptr && !placeholderId.isEmpty()) {
        edit->setPlaceholderText(CSkinManager::ControlText(placeholderId));
    }
}

}  // namespace

QHash<QString, QString> ParseStringTable(const QByteArray& utf8) {
    QHash<QString, QString> table;
    const QString text = QString::fromUtf8(utf8);
    const auto lines = QStringView(text).split(QLatin1Char('\n'));
    for (QStringView line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            continue;
        }
        QString value = line.mid(equals + 1).trimmed().toString();
        value.replace(QLatin1String("\\n"), QLatin1String("\n"));
        table.insert(line.left(equals).trimmed().toString(), value);
    }
    return table;
}

void CSkinManager::SetTextReloadInterface(IReloadControlText* supplier) {
    State().supplier = supplier;
}

IReloadControlText* CSkinManager::GetTextReloadInterface() {
    return State().supplier;
}

void CSkinManager::LoadStringTable(const QString& language) {
    TextState& state = State();
    state.fallback = LoadTable(QStringLiteral("en"));
    state.table = language == QLatin1String("en") ? state.fallback : LoadTable(language);
}

QString CSkinManager::StringTableText(const QString& textId) {
    const TextState& state = State();
    auto it = state.table.constFind(textId);
    if (it != state.table.constEnd()) {
        return *it;
    }
    return state.fallback.value(textId);
}

QString CSkinManager::ControlText(const QString& textId) {
    if (IReloadControlText* supplier = State().supplier) {
        QString text = supplier->GetControlText(textId);
        if (!text.isEmpty()) {
            return text;
        }
    }
    return StringTableText(textId);
}

void CSkinManager::ApplyTexts(QWidget* root) {
    if (root == nullptr) {
        return;
    }
    ApplyTo(root);
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        ApplyTo(child);
    }
}

void CSkinManager::ReloadAllTexts() {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        ApplyTexts(window);
    }
}

}  // namespace quillora::ui
