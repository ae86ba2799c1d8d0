#include "app/Lifecycle.h"

#include "app/frmMain.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace horolet {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[0], &c, 1);
}

void closeMainWindow() {
    if (frmMain::isLoaded()) {
        frmMain::unloadForm();
    } else if (QCoreApplication::instance()) {
        QCoreApplication::quit();
    }
}

}  // namespace

void InstallSystemCloseHandlers() {
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, qApp);
        QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
            char c = 0;
            [[maybe_unused]] const auto n = ::read(g_signalPipe[1], &c, 1);
            closeMainWindow();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    }
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, gui,
                         [](QSessionManager&) { closeMainWindow(); });
    }
}

}  // namespace horolet
