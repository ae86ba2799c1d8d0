// The note's window procedure on a real X server: client messages sent to the note by
// another X client. Runs on an Xvfb of its own; skipped only when Xvfb cannot start.

#include "StickyTestSupport.h"

#include "platform/LinuxPlatform.h"
#include "sticky/frmSticky.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

using namespace horolet;

namespace {

// An X server on a free display for the length of the run; the shell reports its process
// id first, Xvfb its display number once it takes clients.
class Xvfb final {
public:
    Xvfb() {
        FILE* out = popen(
            "Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp "
            "2>/dev/null & echo $!",
            "r");
        if (!out) return;
        char line[64];
        if (fgets(line, sizeof line, out)) m_pid = std::atoi(line);
        if (fgets(line, sizeof line, out)) display = ':' + QByteArray(line).trimmed();
        pclose(out);
    }
    ~Xvfb() {
        if (m_pid > 0) kill(m_pid, SIGTERM);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    QByteArray display;  // empty: Xvfb did not start

private:
    int m_pid = -1;
};

// Sees the client messages that get past the window procedures, as Qt's own handling
// would: installed before any note exists, so it runs after the note's procedure.
class ClientMessageLog final : public QAbstractNativeEventFilter {
public:
    using Seen = std::pair<xcb_window_t, quint32>;  // window and first data word
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if (eventType != "xcb_generic_event_t" || (e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* cm = reinterpret_cast<const xcb_client_message_event_t*>(e);
        seen.append({cm->window, cm->data.data32[0]});
        return false;
    }
    bool saw(xcb_window_t window, quint32 message) const {
        return seen.contains(Seen(window, message));
    }
    QList<Seen> seen;
};

// Another client of the same X server.
class XClient final {
public:
    XClient() : m_c(xcb_connect(nullptr, nullptr)) {}
    ~XClient() { xcb_disconnect(m_c); }
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool ok() const { return !xcb_connection_has_error(m_c); }
    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }
    void send(xcb_window_t window, xcb_atom_t type, quint32 message) {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = window;
        ev.type = type;
        ev.data.data32[0] = message;
        xcb_send_event(m_c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
        xcb_flush(m_c);
    }

private:
    xcb_connection_t* m_c;
};

}  // namespace

class TestStickyX11 final : public QObject {
    Q_OBJECT

    ClientMessageLog m_log;

    static frmSticky* showNote() {
        test::SetNoteValues(QStringLiteral("X"), QStringLiteral("on a real server"));
        ShowStickyNote();
        return frmSticky::loadedForm();
    }

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("Xvfb could not start");
        installPlatform(std::make_unique<LinuxPlatform>());
        qApp->installNativeEventFilter(&m_log);
    }
    void cleanup() { frmSticky::unloadForm(); }

    void swallowsC0FFFFAndPassesTheRest() {
        showNote();
        frmSticky::unloadForm();  // a reloaded note is hooked afresh
        frmSticky* note = showNote();
        QVERIFY(Hook().HookInstalled);
        QWidget other;
        other.show();
        const auto window = xcb_window_t(note->winId());
        const auto otherWindow = xcb_window_t(other.winId());
        XClient x;
        QVERIFY(x.ok());
        const xcb_atom_t type = x.atom("HOROLET_WINDOW_MESSAGE");
        // What Qt's own handling says of a client message it does not know: exactly the
        // two messages expected to get there may reach it.
        const QRegularExpression reachedQt(QStringLiteral("^Unhandled client message"));
        QTest::failOnWarning(reachedQt);
        QTest::ignoreMessage(QtWarningMsg, reachedQt);
        QTest::ignoreMessage(QtWarningMsg, reachedQt);
        x.send(window, type, kSwallowedMessage);
        x.send(otherWindow, type, kSwallowedMessage);  // only the note is hooked
        x.send(window, type, 0x0201);
        // One client's events arrive in order: once the last is seen, the others were handled.
        QTRY_VERIFY(m_log.saw(window, 0x0201));
        QVERIFY(!m_log.saw(window, kSwallowedMessage));
        QVERIFY(m_log.saw(otherWindow, kSwallowedMessage));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    const Xvfb xvfb;
    qputenv("DISPLAY", xvfb.display);
    qputenv("QT_QPA_PLATFORM", xvfb.display.isEmpty() ? "offscreen" : "xcb");
    int status = 0;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        FormLifetime::setQuitWhenLastUnloads(false);
        TestStickyX11 tc;
        status = QTest::qExec(&tc, argc, argv);
        installPlatform(nullptr);  // the X connection goes before the server does
    }
    return status;
}

#include "tst_sticky_x11.moc"
