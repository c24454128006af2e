#include "ui/X11Window.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace quillora::ui {

namespace {

xcb_connection_t* Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

}  // namespace

bool HasCompositor() {
    xcb_connection_t* connection = Connection();
    if (connection == nullptr) {
        return QGuiApplication::platformName() != QLatin1String("xcb");
    }
    static const char kSelection[] = "_NET_WM_CM_S0";
    std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(kSelection), kSelection), nullptr));
    if (!atom) {
        return false;
    }
    std::unique_ptr<xcb_get_selection_owner_reply_t, FreeReply> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_NONE;
}

void SetWindowClass(QWidget* window, const QByteArray& instanceName, const QByteArray& className) {
    xcb_connection_t* connection = Connection();
    if (connection == nullptr || window == nullptr) {
        return;
    }
    // Two NUL-terminated strings: instance, then class.
    const QByteArray value = instanceName + '\0' + className + '\0';
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                        8, static_cast<uint32_t>(value.size()), value.constData());
    xcb_flush(connection);
}

}  // namespace quillora::ui
