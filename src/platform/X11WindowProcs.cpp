#include "platform/X11WindowProcs.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace horolet {

namespace {
// Set by QtWindowProc while a procedure runs: the message goes on to Qt.
bool g_handedToQt = false;
}  // namespace

X11WindowProcs::~X11WindowProcs() {
    if (m_filtering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

qintptr X11WindowProcs::QtWindowProc(WindowHandle, quint32, quintptr, qintptr) {
    g_handedToQt = true;
    return 0;
}

WindowProc X11WindowProcs::setWindowProc(WindowHandle window, WindowProc proc) {
    if (!window || !proc || !qGuiApp) return nullptr;
    QWindow* target = nullptr;
    for (QWindow* w : QGuiApplication::allWindows()) {
        // Only windows that exist natively; winId() would create the others.
        if (w->handle() && w->winId() == window) {
            target = w;
            break;
        }
    }
    if (!target) return nullptr;

    for (auto it = m_procs.begin(); it != m_procs.end();)
        it = it->window ? std::next(it) : m_procs.erase(it);  // windows since destroyed

    const auto found = m_procs.constFind(window);
    const WindowProc previous = found == m_procs.cend() ? &QtWindowProc : found->proc;
    if (proc == &QtWindowProc)
        m_procs.remove(window);
    else
        m_procs.insert(window, {target, proc});
    updateFilter();
    return previous;
}

void X11WindowProcs::updateFilter() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    if (m_procs.isEmpty()) {
        if (m_filtering) app->removeNativeEventFilter(this);
        m_filtering = false;
    } else {
        // Installing again puts the filter first in line, ahead of later observers.
        app->installNativeEventFilter(this);
        m_filtering = true;
    }
}

bool X11WindowProcs::nativeEventFilter(const QByteArray& eventType, void* message,
                                       qintptr* result) {
    if (m_procs.isEmpty() || eventType != "xcb_generic_event_t" || !message) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* cm = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (cm->format != 32) return false;
    const auto found = m_procs.constFind(cm->window);
    if (found == m_procs.cend() || !found->window) return false;

    const WindowProc proc = found->proc;  // the procedure may replace itself
    const bool outer = g_handedToQt;
    g_handedToQt = false;
    const qintptr answer = proc(cm->window, cm->data.data32[0], cm->data.data32[1],
                                static_cast<qintptr>(cm->data.data32[2]));
    const bool handOn = g_handedToQt;
    g_handedToQt = outer;
    if (handOn) return false;
    if (result) *result = answer;
    return true;
}

}  // namespace horolet
