#pragma once

#include "app/core/language/LangKeys.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>

class QObject;

namespace quillora {

// Kind flags of a message dialog.
inline constexpr unsigned kMessageQuestion = 0x4;      // yes and no buttons
inline constexpr unsigned kMessageError = 0x10;        // error icon
inline constexpr unsigned kMessageWarning = 0x20;      // warning icon
inline constexpr unsigned kMessageInformation = 0x40;  // information icon

// Dialog results.
inline constexpr int kMessageYes = 6;
inline constexpr int kMessageNo = 7;  // also: closed without an answer

// Highlight colour handed to every message dialog.
inline constexpr std::uint32_t kMessageHighlight = 0xFF2244BB;

// The two texts of a message: title [Message] Title, text [Message] <key>,
// each at most 259 units.
struct MessageTexts {
    QString title;
    QString text;
};
MessageTexts MessageTextsFor(QStringView key);

// What the dialog layer is asked to show. parent is the owning window (a
// QWidget in practice) or null.
struct MessageRequest {
    QString title;
    QString text;
    unsigned kind = kMessageInformation;
    std::uint32_t highlight = kMessageHighlight;
    QObject* parent = nullptr;
};

// The dialog layer installs the function that shows a request modally and
// returns its result. It is called on the thread that asked (the update
// check asks from its own thread), so it must move to the UI thread itself.
// Without one, a message is written to the log stream and answered kMessageNo.
using MessagePresenter = std::function<int(const MessageRequest&)>;
void SetMessagePresenter(MessagePresenter presenter);

// Shows a ready-made request (for texts formatted by the caller).
int PresentMessage(const MessageRequest& request);

// Shows the message of a [Message] key with the kind flags; returns the
// dialog result.
int ShowMessage(QStringView key, QObject* parent, unsigned kind);
int ShowMessage(const LangKey& key, QObject* parent, unsigned kind);
int ShowMessageB64(QByteArrayView base64Key, QObject* parent, unsigned kind);
// The error-style variant (kind 0x10).
int ShowErrorMessageB64(QByteArrayView base64Key, QObject* parent);

}  // namespace quillora
