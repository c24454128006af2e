#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace quillora::ui {

// Supplies the texts of controls in the current language, by text id.
class IReloadControlText {
public:
    virtual QString GetControlText(const QString& textId) = 0;

protected:
    ~IReloadControlText() = default;
};

// A layout names its texts by id: the dynamic properties "textid" (text),
// "tipid" (tool tip) and "placeholderid" (placeholder of an edit box). The ids
// are resolved through the registered supplier, and through the skin's string
// table for the current language when no supplier answers.
class CSkinManager {
public:
    static void SetTextReloadInterface(IReloadControlText* supplier);
    static IReloadControlText* GetTextReloadInterface();

    // Loads "strings/<language>.txt" from the skin, with "strings/en.txt"
    // behind it for ids the language lacks. `language` is the base name of the
    // language file ("en", "cn", "de", ...).
    static void LoadStringTable(const QString& language);
    static QString StringTableText(const QString& textId);
    static QString ControlText(const QString& textId);

    static void ApplyTexts(QWidget* root);
    // Every window shown or hidden.
    static void ReloadAllTexts();
};

// "key=value" lines; "#" starts a comment line; "\n" in a value is a line break.
QHash<QString, QString> ParseStringTable(const QByteArray& utf8);

}  // namespace quillora::ui
