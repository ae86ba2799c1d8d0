// The note's window procedure on a real X server: client messages sent to the note by
// another X client. Runs on an Xvfb of its own; skipped only when Xvfb cannot start.

#include "StickyTestSupport.h"

#include "platform/LinuxPlatform.h"
#include "sticky/frmSticky.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <string>

using namespace horolet;

namespace {

// What Qt's own handling says of a client message it does not know: proof that a message
// got there.
const QRegularExpression kReachedQt(QStringLiteral("^Unhandled client message"));

// Every message that reaches Qt must be one the test expects there.
void expectAtQt(int messages) {
    QTest::failOnWarning(kReachedQt);
    for (int i = 0; i < messages; ++i) QTest::ignoreMessage(QtWarningMsg, kReachedQt);
}

// An X server on a free display for the length of the run.
class Xvfb final {
public:
    Xvfb() { start(); }
    ~Xvfb() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool running() const { return !m_display.isEmpty(); }
    QByteArray display() const { return m_display; }
    QString failure() const { return m_failure; }

private:
    void start() {
        int fds[2];
        if (pipe(fds) != 0) {
            m_failure = QStringLiteral("no pipe for its display number");
            return;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0) {
                dup2(devnull, STDOUT_FILENO);
                dup2(devnull, STDERR_FILENO);
            }
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            m_failure = QStringLiteral("fork failed");
            return;
        }
        m_pid = pid;
        // Xvfb writes its display number once it takes clients; EOF means it ended.
        QByteArray number;
        QElapsedTimer waited;
        waited.start();
        pollfd p{fds[0], POLLIN, 0};
        while (!number.endsWith('\n') && waited.elapsed() < 20000) {
            if (poll(&p, 1, 500) <= 0) continue;
            char buf[32];
            const ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0) break;
            number.append(buf, n);
        }
        close(fds[0]);
        if (!number.endsWith('\n')) {
            m_failure = QStringLiteral("Xvfb did not report a display (is it installed?)");
            return;
        }
        m_display = ':' + number.trimmed();
    }

    pid_t m_pid = -1;
    QByteArray m_display;
    QString m_failure;
};

Xvfb* g_xvfb = nullptr;

// Sees the client messages that get past the window procedures, as Qt's own handling
// would: installed before any note exists, so it runs after the note's procedure.
class ClientMessageLog final : public QAbstractNativeEventFilter {
public:
    struct Seen {
        xcb_window_t window;
        xcb_atom_t type;
        quint32 data[3];
    };
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
        const auto* cm = reinterpret_cast<const xcb_client_message_event_t*>(e);
        seen.append(
            {cm->window, cm->type, {cm->data.data32[0], cm->data.data32[1], cm->data.data32[2]}});
        return false;
    }
    bool saw(xcb_window_t window, quint32 message) const {
        for (const Seen& s : seen)
            if (s.window == window && s.data[0] == message) return true;
        return false;
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
    void send(xcb_window_t window, xcb_atom_t type, quint32 d0, quint32 d1, quint32 d2) {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = window;
        ev.type = type;
        ev.data.data32[0] = d0;
        ev.data.data32[1] = d1;
        ev.data.data32[2] = d2;
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
        if (!g_xvfb->running())
            QSKIP(qPrintable(QStringLiteral("Xvfb could not start: ") + g_xvfb->failure()));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        installPlatform(std::make_unique<LinuxPlatform>());
        qApp->installNativeEventFilter(&m_log);
    }
    void init() {
        ResetGlobals();
        test::ResetNoteValues();
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Horolet"))
            .removeRecursively();
        m_log.seen.clear();
    }
    void cleanup() { frmSticky::unloadForm(); }

    void swallowsC0FFFFAndPassesTheRest() {
        frmSticky* note = showNote();
        QVERIFY(Hook().HookInstalled);
        const auto window = xcb_window_t(note->winId());
        XClient x;
        QVERIFY(x.ok());
        const xcb_atom_t type = x.atom("HOROLET_WINDOW_MESSAGE");
        expectAtQt(1);
        x.send(window, type, kSwallowedMessage, 1, 2);
        x.send(window, type, 0x0201, 7, 8);
        // One client's events arrive in order: once the second is seen, the first was handled.
        QTRY_VERIFY(m_log.saw(window, 0x0201));
        QVERIFY(!m_log.saw(window, kSwallowedMessage));
        const ClientMessageLog::Seen& passed = m_log.seen.last();
        QCOMPARE(passed.type, type);
        QCOMPARE(passed.data[1], 7u);
        QCOMPARE(passed.data[2], 8u);
    }

    void otherWindowsAreNotTouched() {
        showNote();
        QWidget other;
        other.show();
        const auto window = xcb_window_t(other.winId());
        XClient x;
        const xcb_atom_t type = x.atom("HOROLET_WINDOW_MESSAGE");
        expectAtQt(1);
        x.send(window, type, kSwallowedMessage, 0, 0);
        QTRY_VERIFY(m_log.saw(window, kSwallowedMessage));
    }

    void closeRequestReachesQtsOwnHandling() {
        frmSticky* note = showNote();
        note->dataStickyTitle->setText(QStringLiteral("closed by the server"));
        const auto window = xcb_window_t(note->winId());
        XClient x;
        x.send(window, x.atom("WM_PROTOCOLS"), x.atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME, 0);
        // Qt turns it into a close: the note unloads, unhooking and saving as it goes.
        QTRY_VERIFY(!frmSticky::isLoaded());
        QVERIFY(!Hook().HookInstalled);
        QCOMPARE(test::StoredOption(QStringLiteral("StickyTitle")),
                 QStringLiteral("closed by the server"));
    }

    void reloadedNoteIsHookedAndUnhookedNoteIsNot() {
        showNote();
        frmSticky::unloadForm();
        frmSticky* note = showNote();
        const auto window = xcb_window_t(note->winId());
        XClient x;
        const xcb_atom_t type = x.atom("HOROLET_WINDOW_MESSAGE");
        expectAtQt(2);  // message 1 now, 0xC0FFFF once unhooked
        x.send(window, type, kSwallowedMessage, 0, 0);
        x.send(window, type, 1, 0, 0);
        QTRY_VERIFY(m_log.saw(window, 1));
        QVERIFY(!m_log.saw(window, kSwallowedMessage));

        UnhookWindow();
        x.send(window, type, kSwallowedMessage, 0, 0);
        QTRY_VERIFY(m_log.saw(window, kSwallowedMessage));
        HookWindow();  // back as the note expects it when it unloads
    }
};

int main(int argc, char** argv) {
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    Xvfb xvfb;
    g_xvfb = &xvfb;
    if (xvfb.running()) {
        qputenv("DISPLAY", xvfb.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
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
