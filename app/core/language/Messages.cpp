#include "app/core/language/Messages.h"

#include "app/core/language/LangLookup.h"
#include "app/core/language/LanguageState.h"

#include <QtGlobal>

#include <mutex>

namespace quillora {

namespace {

std::mutex presenterMutex;
MessagePresenter& Presenter() {
    static MessagePresenter presenter;
    return presenter;
}

}  // namespace

MessageTexts MessageTextsFor(QStringView key) {
    const QString file = CurrentLanguageFilePath();
    MessageTexts texts;
    GetLangString(u"Message", u"Title", QString(), texts.title, kLangTextBufferUnits, file);
    GetLangString(u"Message", key, QString(), texts.text, kLangTextBufferUnits, file);
    return texts;
}

void SetMessagePresenter(MessagePresenter presenter) {
    const std::lock_guard lock(presenterMutex);
    Presenter() = std::move(presenter);
}

int PresentMessage(const MessageRequest& request) {
    MessagePresenter presenter;
    {
        const std::lock_guard lock(presenterMutex);
        presenter = Presenter();
    }
    if (!presenter) {
        qWarning("%s: %s", qUtf8Printable(request.title), qUtf8Printable(request.text));
        return kMessageNo;
    }
    return presenter(request);
}

int ShowMessage(QStringView key, QObject* parent, unsigned kind) {
    const MessageTexts texts = MessageTextsFor(key);
    return PresentMessage({texts.title, texts.text, kind, kMessageHighlight, parent});
}

int ShowMessage(const LangKey& key, QObject* parent, unsigned kind) {
    return ShowMessageB64(QByteArrayView(key.base64.data(), qsizetype(key.base64.size())), parent,
                          kind);
}

int ShowMessageB64(QByteArrayView base64Key, QObject* parent, unsigned kind) {
    const auto key = DecodeLangKey(base64Key);
    return ShowMessage(key ? QStringView(*key) : QStringView(), parent, kind);
}

int ShowErrorMessageB64(QByteArrayView base64Key, QObject* parent) {
    return ShowMessageB64(base64Key, parent, kMessageError);
}

}  // namespace quillora
