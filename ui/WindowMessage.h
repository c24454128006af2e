#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <memory>
#include <typeinfo>
#include <utility>

// Window messages between the program's windows and threads: a numbered message
// with two integers and an optional record, posted as a Qt event. Header-only and
// free of widgets, so worker threads in lower libraries can post to windows.
namespace quillora::ui {

inline constexpr int kWmClose = 0x0010;
inline constexpr int kWmUser = 0x0400;

// A record travelling with a posted message. It is owned by whoever holds the
// payload; the receiver takes it out with Take<T>() and the rest is freed with
// the event.
class MessagePayload {
public:
    MessagePayload() = default;
    template <class T>
    explicit MessagePayload(std::unique_ptr<T> value)
        : data_(value.release(), &DeleteAs<T>), type_(&typeid(T)) {}

    template <class T>
    bool Holds() const {
        return data_ && *type_ == typeid(T);
    }
    template <class T>
    T* Get() const {
        return Holds<T>() ? static_cast<T*>(data_.get()) : nullptr;
    }
    // Hands the record over; null (and the payload kept) when it is of another type.
    template <class T>
    std::unique_ptr<T> Take() {
        if (!Holds<T>()) {
            return nullptr;
        }
        type_ = nullptr;
        return std::unique_ptr<T>(static_cast<T*>(data_.release()));
    }
    explicit operator bool() const { return data_ != nullptr; }

private:
    template <class T>
    static void DeleteAs(void* p) {
        delete static_cast<T*>(p);
    }
    static void DeleteNothing(void*) {}

    std::unique_ptr<void, void (*)(void*)> data_{nullptr, &DeleteNothing};
    const std::type_info* type_ = nullptr;
};

struct WindowMessage {
    int message = 0;
    qint64 wParam = 0;
    qint64 lParam = 0;
    MessagePayload payload;
};

class WindowMessageEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int type = QEvent::registerEventType();
        return static_cast<QEvent::Type>(type);
    }
    explicit WindowMessageEvent(WindowMessage m) : QEvent(EventType()), message(std::move(m)) {}

    WindowMessage message;
};

// Safe from any thread. The target must outlive the event (windows do).
inline void PostWindowMessage(QObject* target, int message, qint64 wParam = 0,
                              MessagePayload payload = {}, qint64 lParam = 0) {
    if (target == nullptr) {
        return;
    }
    QCoreApplication::postEvent(
        target, new WindowMessageEvent(WindowMessage{message, wParam, lParam, std::move(payload)}));
}

}  // namespace quillora::ui
