#pragma once

#include "platform/Platform.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QPointer>

class QWindow;

namespace horolet {

// Window procedures on X11. A window message is a client message (format 32) whose
// data words are the message number, wParam and lParam. A message to a window with a
// replaced procedure goes through that procedure first; it reaches Qt's own handling,
// unchanged, only when the procedure hands it to QtWindowProc, the procedure every
// window starts with. Other events are never touched.
class X11WindowProcs final : public QAbstractNativeEventFilter {
public:
    X11WindowProcs() = default;
    ~X11WindowProcs() override;
    X11WindowProcs(const X11WindowProcs&) = delete;
    X11WindowProcs& operator=(const X11WindowProcs&) = delete;

    WindowProc setWindowProc(WindowHandle window, WindowProc proc);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    static qintptr QtWindowProc(WindowHandle window, quint32 message, quintptr wParam,
                                qintptr lParam);

private:
    struct Entry {
        QPointer<QWindow> window;
        WindowProc proc = nullptr;
    };
    void updateFilter();

    QHash<WindowHandle, Entry> m_procs;
    bool m_filtering = false;
};

}  // namespace horolet
