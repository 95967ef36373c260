// SPDX-License-Identifier: GPL-3.0-or-later
#include "frameextents_x11.h"

#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace krumlix {
namespace {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t atom(xcb_connection_t *connection, const char *name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

/// The window's _NET_FRAME_EXTENTS (left, right, top, bottom), once set to a
/// frame.
std::optional<QMargins> extentsOf(xcb_connection_t *connection, xcb_window_t window,
                                  xcb_atom_t extents) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto *value = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    const QMargins frame{int(value[0]), int(value[2]), int(value[1]), int(value[3])};
    // Some answer no frame before the window is mapped and frame it then.
    if (frame.isNull())
        return std::nullopt;
    return frame;
}

/// Whether the window manager names `wanted` among what it supports.
bool supported(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t wanted) {
    const xcb_atom_t list = atom(connection, "_NET_SUPPORTED");
    constexpr uint32_t MaxAtoms = 1024;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, list, XCB_ATOM_ATOM, 0, MaxAtoms),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, wanted) != atoms + count;
}

bool mapped(xcb_connection_t *connection, xcb_window_t window) {
    const Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->map_state != XCB_MAP_STATE_UNMAPPED;
}

} // namespace

std::optional<QMargins> FrameExtents::operator()(QWidget *window) {
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window->isWindow())
        return std::nullopt;
    xcb_connection_t *connection = x11->connection();
    const auto id = xcb_window_t(window->winId()); // the window as it will be mapped
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(connection, "_NET_FRAME_EXTENTS");
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE || !screen)
        return std::nullopt;
    if (auto known = extentsOf(connection, id, extents))
        return known;
    // A window already mapped has the frame it has; only one about to be is
    // asked for.
    if (unanswered_ || mapped(connection, id))
        return std::nullopt;
    if (!supported(connection, screen->root, request)) {
        unanswered_ = true;
        return std::nullopt;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
    // The answer is the property set on the window; it is looked for, as the
    // toolkit reads the connection's events itself.
    constexpr int Looks = 20, LookMs = 5;
    for (int look = 0; look < Looks; ++look) {
        if (auto answer = extentsOf(connection, id, extents))
            return answer;
        QThread::msleep(LookMs);
    }
    unanswered_ = true;
    return std::nullopt;
}

std::optional<QPoint> clientOrigin(QWidget *window) {
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window->isWindow() || !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    xcb_connection_t *connection = x11->connection();
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::nullopt;
    const Reply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
        connection,
        xcb_translate_coordinates(connection, xcb_window_t(window->winId()), screen->root, 0, 0),
        nullptr));
    if (!reply)
        return std::nullopt;
    return QPoint(reply->dst_x, reply->dst_y) / window->devicePixelRatio();
}

void moveClient(QWidget *window, QPoint origin) {
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window->isWindow() || !window->testAttribute(Qt::WA_WState_Created))
        return;
    // The window asks for static gravity: the place is its client area's.
    const QPoint native = origin * window->devicePixelRatio();
    const uint32_t values[] = {uint32_t(native.x()), uint32_t(native.y())};
    xcb_configure_window(x11->connection(), xcb_window_t(window->winId()),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    xcb_flush(x11->connection());
}

} // namespace krumlix
