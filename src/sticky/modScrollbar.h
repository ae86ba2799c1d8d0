#pragma once

#include "platform/Platform.h"

namespace horolet {

// The note window's procedure is replaced while the note is loaded: every message goes
// on to the replaced procedure except kSwallowedMessage, which is answered with 0.
inline constexpr quint32 kSwallowedMessage = 0xC0FFFF;

struct HookValues {
    WindowHandle HookedWindow = 0;  // set by the note's load just before HookWindow
    WindowProc PreviousWindowProc = nullptr;
    bool HookInstalled = false;
};
HookValues& Hook();

// Installs StickyWindowProc on HookedWindow. A second call without UnhookWindow in
// between is refused with a message box, so the saved procedure is never lost.
void HookWindow();
// Puts the saved procedure back; nothing when not installed.
void UnhookWindow();

qintptr StickyWindowProc(WindowHandle window, quint32 message, quintptr wParam, qintptr lParam);

}  // namespace horolet
