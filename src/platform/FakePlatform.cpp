#include "platform/FakePlatform.h"

#include <time.h>

namespace horolet {

FakePlatform::FakePlatform()
    : utcNow(QDate(2026, 12, 5), QTime(15, 7, 9), QTimeZone::utc()), zone(QTimeZone::utc()) {
    zoneInfo.outcome = LocalZoneInfo::Outcome::Standard;
    screens.primary = QRect(0, 0, 1920, 1080);
    screens.virtualDesktop = screens.primary;
}

quint32 FakePlatform::tickCountMs() const {
    if (!realTicks) return ticks;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<quint32>(quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u);
}

bool FakePlatform::setSystemClockUtc(const QDateTime& utc) {
    if (!allowSetClock) return false;
    clockSets.append(utc);
    utcNow = utc;
    return true;
}

QString FakePlatform::resolveHostIPv4(const QString& host) {
    lookups.append(host);
    return resolveAnswer;
}

void FakePlatform::messageBox(const QString& text, MsgIcon icon, const QString& title) {
    boxes.append({text, icon, title.isEmpty() ? appTitle() : title});
}

bool FakePlatform::askYesNo(const QString& text, const QString& title) {
    boxes.append({text, MsgIcon::Question, title.isEmpty() ? appTitle() : title});
    return yesNoAnswer;
}

void FakePlatform::hideFromTaskbar(QWidget* window) { hiddenFromTaskbar.append(window); }

bool FakePlatform::startSystemMove(QWidget* window) {
    if (!systemMoves) return false;
    systemMoveRequests.append(window);
    return true;
}

bool FakePlatform::startSystemResize(QWidget* /*window*/, Qt::Edges edges) {
    if (!systemMoves) return false;
    systemResizeRequests.append(edges);
    return true;
}

WindowProc FakePlatform::setWindowProc(WindowHandle window, WindowProc proc) {
    if (refuseWindowProcs || !window || !proc) return nullptr;
    const WindowProc previous = windowProcs.value(window, &FakePlatform::OwnWindowProc);
    windowProcs.insert(window, proc);
    return previous;
}

qintptr FakePlatform::sendWindowMessage(WindowHandle window, quint32 message, quintptr wParam,
                                        qintptr lParam) {
    return callWindowProc(windowProcs.value(window, &FakePlatform::OwnWindowProc), window,
                          message, wParam, lParam);
}

qintptr FakePlatform::OwnWindowProc(WindowHandle window, quint32 message, quintptr wParam,
                                    qintptr lParam) {
    FakePlatform* fake = fakePlatform();
    if (!fake) return 0;
    fake->ownProcMessages.append({window, message, wParam, lParam});
    return fake->ownProcAnswer;
}

void FakePlatform::setLocal(const QDateTime& local) {
    utcNow = QDateTime(local.date(), local.time(), zone).toUTC();
}

void FakePlatform::advance(qint64 ms) {
    utcNow = utcNow.addMSecs(ms);
    ticks += static_cast<quint32>(ms);
}

FakePlatform* fakePlatform() { return dynamic_cast<FakePlatform*>(&platform()); }

}  // namespace horolet
