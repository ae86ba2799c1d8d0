#pragma once

// The built horolet-weatherd program run against a fake weather API that serves from its
// own thread, so that a client blocking this thread still gets its answer.

#include "ApiFixtures.h"
#include "FakeWeatherApi.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <memory>

namespace horolet::test {

class DaemonHarness final {
public:
    DaemonHarness() : m_api(std::make_unique<FakeWeatherApi>()) {
        m_api->moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            m_api.get(), [this] { m_apiPort = m_api->listen(); }, Qt::BlockingQueuedConnection);
    }

    ~DaemonHarness() {
        stop();
        // The fake's server goes with its thread's last events.
        QMetaObject::invokeMethod(
            m_api.get(), [this] { m_api.reset(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    FakeWeatherApi& api() { return *m_api; }
    quint16 apiPort() const { return m_apiPort; }
    quint16 port() const { return m_port; }
    QProcess& process() { return m_process; }

    // Starts the program with these arguments and waits for it to report its port;
    // false when it exits or stays silent instead.
    bool start(const QStringList& arguments) {
        m_process.setProgram(QStringLiteral(HOROLET_WEATHERD_PROGRAM));
        m_process.setArguments(arguments);
        m_process.start();
        if (!m_process.waitForStarted(5000)) return false;
        static const QRegularExpression listening(
            QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
        QByteArray out;
        const bool ok = QTest::qWaitFor(
            [&] {
                out += m_process.readAllStandardOutput();
                return listening.match(QString::fromUtf8(out)).hasMatch() ||
                       m_process.state() == QProcess::NotRunning;
            },
            10000);
        const auto m = listening.match(QString::fromUtf8(out));
        if (!ok || !m.hasMatch()) return false;
        m_port = quint16(m.captured(1).toUInt());
        return m_port != 0;
    }

    bool startAgainstFake() {
        return start({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                      QStringLiteral("--upstream"), m_api->base(), QStringLiteral("--contact"),
                      QStringLiteral("horolet-tests@example.com")});
    }

    void stop() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Zip 72210 in full, observed minutesAgo before now in the Chicago zone.
    QDateTime serveLittleRock(int minutesAgo = 7) {
        const QDateTime observed = QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo);
        const QDateTime at(observed.date(), QTime(observed.time().hour(), observed.time().minute()),
                           Qt::UTC);
        QJsonObject before = ObservationProps(at.addSecs(-3 * 3600).toString(Qt::ISODate));
        before.insert("barometricPressure", Q("Pa", 101500));
        m_api->setJson(QStringLiteral("/points/34.7139,-92.5084"),
                       PointJson("LZK/82,73", "Little Rock", "AR", "America/Chicago"));
        m_api->setJson(QStringLiteral("/gridpoints/LZK/82,73/stations"),
                       StationsJson({{"KLIT", "Little Rock, Adams Field", "America/Chicago"}}));
        m_api->setJson(QStringLiteral("/stations/KLIT/observations/latest"),
                       ObservationJson(ObservationProps(at.toString(Qt::ISODate))));
        m_api->setJson(QStringLiteral("/stations/KLIT/observations"), HistoryJson({before}));
        m_api->setJson(
            QStringLiteral("/gridpoints/LZK/82,73/forecast"),
            ForecastJson({Period(1, "Tonight", 35, "5 to 10 mph", "S", "Mostly Clear")}));
        return at;
    }

private:
    QThread m_thread;
    std::unique_ptr<FakeWeatherApi> m_api;
    quint16 m_apiPort = 0;
    quint16 m_port = 0;
    QProcess m_process;
};

}  // namespace horolet::test
