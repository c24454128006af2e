#pragma once

#include <QLatin1StringView>
#include <QString>

class QWidget;

namespace quillora::ui {

// A notification: what happened and which control it happened to.
struct TNotifyUI {
    QString sType;
    QWidget* pSender = nullptr;
    qint64 wParam = 0;
    qint64 lParam = 0;
};

class INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;

protected:
    ~INotifyUI() = default;
};

// The notification types the program's windows listen for.
namespace notify {
inline constexpr QLatin1StringView kWindowInit{"windowinit"};
inline constexpr QLatin1StringView kClick{"click"};
inline constexpr QLatin1StringView kTabSelect{"tabselect"};
inline constexpr QLatin1StringView kSelectChanged{"selectchanged"};
inline constexpr QLatin1StringView kItemSelect{"itemselect"};
inline constexpr QLatin1StringView kItemClick{"itemclick"};
inline constexpr QLatin1StringView kTextChanged{"textchanged"};
inline constexpr QLatin1StringView kValueChanged{"valuechanged"};
inline constexpr QLatin1StringView kKillFocus{"killfocus"};
}  // namespace notify

}  // namespace quillora::ui
