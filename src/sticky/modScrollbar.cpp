#include "sticky/modScrollbar.h"

namespace horolet {

HookValues& Hook() {
    static HookValues values;
    return values;
}

void HookWindow() {
    HookValues& hook = Hook();
    if (hook.HookInstalled) {
        platform().messageBox(QStringLiteral("Don't hook it twice without ") +
                                  QStringLiteral("unhooking, or you will be unable to unhook it."),
                              MsgIcon::None, appTitle());
        return;
    }
    const WindowProc previous = platform().setWindowProc(hook.HookedWindow, &StickyWindowProc);
    // A refused replacement installs nothing, so there is nothing to put back later.
    if (!previous) return;
    hook.PreviousWindowProc = previous;
    hook.HookInstalled = true;
}

void UnhookWindow() {
    HookValues& hook = Hook();
    if (!hook.HookInstalled) return;
    if (hook.PreviousWindowProc)
        platform().setWindowProc(hook.HookedWindow, hook.PreviousWindowProc);
    hook.HookInstalled = false;
}

qintptr StickyWindowProc(WindowHandle window, quint32 message, quintptr wParam, qintptr lParam) {
    if (message == kSwallowedMessage) return 0;
    return Platform::callWindowProc(Hook().PreviousWindowProc, window, message, wParam, lParam);
}

}  // namespace horolet
