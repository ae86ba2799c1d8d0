#include "platform/LinuxPlatform.h"

#include "platform/X11WindowProcs.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QNetworkInformation>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <limits>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <time.h>
#include <xcb/xcb.h>

namespace horolet {

LinuxPlatform::LinuxPlatform() : m_windowProcs(std::make_unique<X11WindowProcs>()) {}

LinuxPlatform::~LinuxPlatform() = default;

QDateTime LinuxPlatform::currentUtc() const { return QDateTime::currentDateTimeUtc(); }

QTimeZone LinuxPlatform::localZone() const { return QTimeZone::systemTimeZone(); }

bool LinuxPlatform::setSystemClockUtc(const QDateTime& utc) {
    const qint64 ms = utc.toMSecsSinceEpoch();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ms / 1000);
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    return clock_settime(CLOCK_REALTIME, &ts) == 0;
}

quint32 LinuxPlatform::tickCountMs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const quint64 ms = quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u;
    return static_cast<quint32>(ms);  // wraps like a 32-bit tick counter
}

LocalZoneInfo DescribeZone(const QTimeZone& zone, const QDateTime& atUtc) {
    LocalZoneInfo info;
    if (!zone.isValid()) return info;
    const int total = zone.offsetFromUtc(atUtc);
    const int dstNow = zone.daylightTimeOffset(atUtc);
    if (zone.isDaylightTime(atUtc) && dstNow == 0) {
        // Daylight time by the rules, but they give no shift to work with.
        info.outcome = LocalZoneInfo::Outcome::NoDaylightInfo;
        return info;
    }
    // The shift in force, or else the one the rules switch to within a year. Old rules
    // (Tokyo's of 1951, Arizona's of 1967) do not count: such zones keep standard time.
    int shift = dstNow;
    if (shift == 0 && zone.hasTransitions()) {
        const QTimeZone::OffsetData next = zone.nextTransition(atUtc);
        if (next.atUtc.isValid() && next.atUtc <= atUtc.addDays(366) &&
            next.daylightTimeOffset != std::numeric_limits<int>::min())
            shift = next.daylightTimeOffset;
    }
    info.outcome = LocalZoneInfo::Outcome::Standard;
    if (shift == 0) {
        info.biasMinutes = -total / 60;
        return info;
    }
    // A negative shift (Irish winter time) makes the summer offset the rules' standard;
    // report it the usual way, with the lower offset as standard time.
    const int magnitude = std::abs(shift);
    info.daylightBiasMinutes = -magnitude / 60;
    const bool summer = dstNow > 0 || (dstNow == 0 && shift < 0);
    if (summer) {
        info.outcome = LocalZoneInfo::Outcome::Daylight;
        info.biasMinutes = -(total - magnitude) / 60;
    } else {
        info.biasMinutes = -total / 60;
    }
    return info;
}

LocalZoneInfo LinuxPlatform::localZoneInfo() const {
    return DescribeZone(QTimeZone::systemTimeZone(), QDateTime::currentDateTimeUtc());
}

bool LinuxPlatform::isOnline() const {
    static bool tried = false;
    if (!tried) {
        tried = true;
        // The default backend does not load on every desktop; glib reports reachability here.
        if (!QNetworkInformation::loadDefaultBackend()) {
            if (!QNetworkInformation::loadBackendByName(QStringLiteral("networkmanager")))
                QNetworkInformation::loadBackendByName(QStringLiteral("glib"));
        }
    }
    const QNetworkInformation* ni = QNetworkInformation::instance();
    if (!ni || !ni->supports(QNetworkInformation::Feature::Reachability)) return true;
    return ni->reachability() != QNetworkInformation::Reachability::Disconnected;
}

QString LinuxPlatform::resolveHostIPv4(const QString& host) {
    // On Windows this would start and release the socket library around the lookup;
    // getaddrinfo needs neither, so the failed-release message cannot arise here.
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* res = nullptr;
    const QByteArray name = host.toLocal8Bit();
    if (name.isEmpty() || getaddrinfo(name.constData(), nullptr, &hints, &res) != 0 || !res)
        return {};
    QString text;
    for (addrinfo* a = res; a; a = a->ai_next) {
        if (a->ai_family != AF_INET) continue;
        char buf[INET_ADDRSTRLEN] = {};
        const auto* sin = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        if (inet_ntop(AF_INET, &sin->sin_addr, buf, sizeof buf)) text = QString::fromLatin1(buf);
        break;
    }
    freeaddrinfo(res);
    return text;
}

ScreenMetrics LinuxPlatform::screenMetrics() const {
    ScreenMetrics m;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return m;
    m.primary = primary->geometry();
    const auto screens = QGuiApplication::screens();
    QRect all;
    int depth = primary->depth();
    for (const QScreen* s : screens) {
        all = all.united(s->geometry());
        m.screens.append(s->geometry());
        if (s->depth() != depth) m.allSameDepth = false;
    }
    m.virtualDesktop = all;
    m.monitorCount = int(screens.size());
    return m;
}

void LinuxPlatform::messageBox(const QString& text, MsgIcon icon, const QString& title) {
    QMessageBox::Icon qi = QMessageBox::NoIcon;
    switch (icon) {
        case MsgIcon::Critical: qi = QMessageBox::Critical; break;
        case MsgIcon::Question: qi = QMessageBox::Question; break;
        case MsgIcon::Exclamation: qi = QMessageBox::Warning; break;
        case MsgIcon::Information: qi = QMessageBox::Information; break;
        case MsgIcon::None: break;
    }
    // The texts are plain, with CRLF line ends; markup in them (a weather reply shown for
    // diagnosis) stays text. A very long text is cut short to keep the box on the screen;
    // the details then hold all of it.
    constexpr qsizetype kShownChars = 4000;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QString rest;
    if (shown.size() > kShownChars) {
        rest = shown;
        shown = shown.left(kShownChars) + QChar(0x2026);
    }
    QMessageBox box(qi, title.isEmpty() ? appTitle() : title, shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    if (!rest.isEmpty()) box.setDetailedText(rest);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

bool LinuxPlatform::askYesNo(const QString& text, const QString& title) {
    return QMessageBox::question(nullptr, title.isEmpty() ? appTitle() : title, text) ==
           QMessageBox::Yes;
}

void LinuxPlatform::hideFromTaskbar(QWidget* window) {
    // Qt has no flag for this on X11: put the EWMH skip states on the window before it
    // is mapped; Qt keeps states it finds there when it adds its own.
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window) return;
    xcb_connection_t* c = x11->connection();
    if (!c) return;  // the offscreen platform offers the interface without a display
    const auto wid = static_cast<xcb_window_t>(window->winId());
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    };
    const xcb_atom_t state = atom("_NET_WM_STATE");
    const xcb_atom_t states[] = {atom("_NET_WM_STATE_SKIP_TASKBAR"), atom("_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(c, XCB_PROP_MODE_APPEND, wid, state, XCB_ATOM_ATOM, 32, 2, states);
    xcb_flush(c);
}

bool LinuxPlatform::startSystemMove(QWidget* window) {
    // A Wayland client cannot place its own windows; only the compositor can move them.
    if (!window || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    QWindow* handle = window->window()->windowHandle();
    return handle && handle->startSystemMove();
}

bool LinuxPlatform::startSystemResize(QWidget* window, Qt::Edges edges) {
    if (!window || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    QWindow* handle = window->window()->windowHandle();
    return handle && handle->startSystemResize(edges);
}

WindowProc LinuxPlatform::setWindowProc(WindowHandle window, WindowProc proc) {
    return m_windowProcs->setWindowProc(window, proc);
}

}  // namespace horolet
