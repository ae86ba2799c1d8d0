#pragma once

#include "platform/Platform.h"

#include <QHash>
#include <QList>

namespace horolet {

// A platform that tests drive: a settable clock and screens, recorded message boxes.
class FakePlatform final : public Platform {
public:
    struct Box {
        QString text;
        MsgIcon icon;
        QString title;
    };

    FakePlatform();

    QDateTime currentUtc() const override { return utcNow; }
    QTimeZone localZone() const override { return zone; }
    bool setSystemClockUtc(const QDateTime& utc) override;
    quint32 tickCountMs() const override;
    LocalZoneInfo localZoneInfo() const override { return zoneInfo; }
    bool isOnline() const override { return online; }
    QString resolveHostIPv4(const QString& host) override;
    ScreenMetrics screenMetrics() const override { return screens; }
    void messageBox(const QString& text, MsgIcon icon, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void hideFromTaskbar(QWidget* window) override;
    bool startSystemMove(QWidget* window) override;
    bool startSystemResize(QWidget* window, Qt::Edges edges) override;
    WindowProc setWindowProc(WindowHandle window, WindowProc proc) override;

    // Delivers a window message the way the system does: to the window's procedure.
    qintptr sendWindowMessage(WindowHandle window, quint32 message, quintptr wParam,
                              qintptr lParam);
    // The procedure every window starts with; it records what reaches it.
    static qintptr OwnWindowProc(WindowHandle window, quint32 message, quintptr wParam,
                                 qintptr lParam);
    struct WindowMessage {
        WindowHandle window;
        quint32 message;
        quintptr wParam;
        qintptr lParam;
    };

    // Sets the clock from a local wall-clock reading in the fake's zone.
    void setLocal(const QDateTime& local);
    void advance(qint64 ms);

    QDateTime utcNow;
    QTimeZone zone;
    quint32 ticks = 0;
    bool realTicks = false;            // tickCountMs() follows the real monotonic clock
    LocalZoneInfo zoneInfo;
    bool online = true;
    bool allowSetClock = true;
    QList<QDateTime> clockSets;        // every accepted setting of the system clock
    QString resolveAnswer;             // empty: the lookup fails
    QStringList lookups;               // host names asked for
    ScreenMetrics screens;
    QList<Box> boxes;                  // every message box shown, in order
    bool yesNoAnswer = false;
    QList<QWidget*> hiddenFromTaskbar;
    bool systemMoves = false;          // behave like a compositor that places windows
    QList<QWidget*> systemMoveRequests;
    QList<Qt::Edges> systemResizeRequests;
    QHash<WindowHandle, WindowProc> windowProcs;  // replaced procedures only
    bool refuseWindowProcs = false;               // setWindowProc fails as on a bad handle
    QList<WindowMessage> ownProcMessages;         // messages that reached OwnWindowProc
    qintptr ownProcAnswer = 0;
};

// The fake installed for the running test; null when none is installed.
FakePlatform* fakePlatform();

}  // namespace horolet
