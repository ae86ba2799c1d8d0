// Round trip of one SNTP exchange (SyncClock in comparison mode) against chronyd on
// loopback: median of 50. chronyd runs with -x, and the clock is never set: the
// exchange only compares, on the fake platform.
//
//   sntp_roundtrip [runs]      (as root: chronyd holds port 123 with -u root)

#include "app/Globals.h"
#include "nettime/SntpPacket.h"
#include "nettime/modTimes.h"
#include "platform/FakePlatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace horolet;

namespace {

bool chronydAnswers() {
    QUdpSocket s;
    if (!s.bind(QHostAddress::AnyIPv4, 0)) return false;
    s.writeDatagram(BuildSntpRequest(QDateTime::currentDateTimeUtc(), 1),
                    QHostAddress(QStringLiteral("127.0.0.1")), kNtpPort);
    return s.waitForReadyRead(250);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 50;

    const QString chronyd = QStandardPaths::findExecutable(
        QStringLiteral("chronyd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (chronyd.isEmpty()) {
        std::fprintf(stderr, "chronyd is missing (scripts/install-deps.sh --test)\n");
        return 2;
    }
    QTemporaryDir dir;
    QFile conf(dir.path() + QStringLiteral("/chrony.conf"));
    if (!conf.open(QIODevice::WriteOnly)) return 2;
    conf.write(QStringLiteral("bindaddress 127.0.0.1\nallow 127.0.0.0/8\nlocal stratum 10\n"
                              "port 123\ncmdport 0\ndriftfile %1/drift\n"
                              "pidfile %1/chronyd.pid\nlogdir %1\n")
                   .arg(dir.path())
                   .toUtf8());
    conf.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(chronyd, {QStringLiteral("-f"), conf.fileName(), QStringLiteral("-d"),
                           QStringLiteral("-x"), QStringLiteral("-u"), QStringLiteral("root")});
    bool up = server.waitForStarted(5000);
    for (int i = 0; up && i < 40 && !chronydAnswers(); ++i)
        up = server.state() == QProcess::Running;
    if (!up || !chronydAnswers()) {
        std::fprintf(stderr, "chronyd did not answer on 127.0.0.1:123\n%s\n",
                     server.readAll().constData());
        server.kill();
        return 2;
    }

    auto fake = std::make_unique<FakePlatform>();
    FakePlatform& p = *fake;
    installPlatform(std::move(fake));
    p.realTicks = true;
    p.resolveAnswer = QStringLiteral("127.0.0.1");
    NetTime().NtpServer = QStringLiteral("127.0.0.1");
    NetTime().SetClockOnReply = false;

    int answers = 0;
    QObject::connect(&NtpExchange::instance(), &NtpExchange::ntpTimeValueChanged,
                     [&answers] { ++answers; });
    for (int i = 0; i < 5; ++i) SyncClock();  // warm-up

    answers = 0;
    std::vector<double> ms;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        p.utcNow = QDateTime::currentDateTimeUtc();
        t.start();
        SyncClock();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    server.terminate();
    server.waitForFinished(10000);

    std::sort(ms.begin(), ms.end());
    const double median = runs % 2
                              ? ms[std::size_t(runs / 2)]
                              : (ms[std::size_t(runs / 2 - 1)] + ms[std::size_t(runs / 2)]) / 2;
    std::printf("SNTP round trip against chronyd on loopback, %d exchanges (%d answered):\n", runs,
                answers);
    std::printf("  median %.3f ms, min %.3f ms, max %.3f ms (target: under 2 ms)\n", median,
                ms.front(), ms.back());
    return answers == runs ? 0 : 1;
}
