#include "nettime/modTimes.h"

#include "app/Globals.h"
#include "nettime/modDNS.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

#include <cerrno>

namespace horolet {

namespace {

// How often the wait wakes up to read the tick count when nothing else happens.
constexpr int kWakeIntervalMs = 10;

QString errorTitle() {
    return QStringLiteral("Error");
}

// The locale's long time format minus its time-zone part ("t").
QString longTimeFormat() {
    const QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c == u't') continue;
        out += c;
    }
    return out.simplified();
}

}  // namespace

StepErrorAction NextStepErrorAction(int errorNumber, int restartsSoFar, int attempt) {
    if (errorNumber == 2 && restartsSoFar < kMaxSyncRestarts) return StepErrorAction::Restart;
    return attempt == 1 ? StepErrorAction::RetryAttempt : StepErrorAction::Report;
}

QString LongTimeText(const QTime& time) {
    return QLocale::system().toString(time, longTimeFormat());
}

NtpExchange& NtpExchange::instance() {
    static QPointer<NtpExchange> exchange;
    if (!exchange) {
        exchange = new NtpExchange();
        // Goes with the application, before the socket layer is torn down.
        exchange->setParent(QCoreApplication::instance());
    }
    return *exchange;
}

NtpExchange::NtpExchange() : wskNTP(std::make_unique<QUdpSocket>()) {
    connect(wskNTP.get(), &QUdpSocket::readyRead, this, &NtpExchange::wskNTP_DataArrival);
    connect(wskNTP.get(), &QUdpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        // Errors of the sending steps are handled where they happen.
        if (m_waiting) wskNTP_Error(int(e), wskNTP->errorString());
    });
}

NtpExchange::~NtpExchange() = default;

void NtpExchange::SyncClock(quint16 serverPort) {
    // A timer tick or a menu command inside the wait must not take over the socket.
    if (m_busy) return;
    m_busy = true;
    m_setClock = NetTime().SetClockOnReply;
    for (int restarts = 0; oneCall(serverPort, restarts) == CallEnd::Restart; ++restarts) {
    }
    m_busy = false;
}

NtpExchange::CallEnd NtpExchange::oneCall(quint16 serverPort, int restarts) {
    int attempt = 1;
    for (;;) {
        if (!platform().isOnline()) {
            showSyncedTip();
            return CallEnd::Done;
        }
        std::optional<StepError> error;
        const Outcome outcome = exchange(serverPort, &error);
        if (!error) {
            if (outcome == Outcome::Replied) showSyncedTip();
            return CallEnd::Done;
        }
        switch (NextStepErrorAction(error->number, restarts, attempt)) {
            case StepErrorAction::Restart:
                CloseNtpSocket();
                return CallEnd::Restart;
            case StepErrorAction::RetryAttempt:
                attempt = 2;
                continue;
            case StepErrorAction::Report:
                platform().messageBox(
                    QStringLiteral("Connect ErrNo. : ") + QString::number(error->number) +
                        QStringLiteral("\r\nDescription : ") + error->description +
                        QStringLiteral("\r\nLastDllError : ") + QString::number(error->lastError),
                    MsgIcon::Critical, errorTitle());
                CloseNtpSocket();
                return CallEnd::Done;
        }
    }
}

NtpExchange::Outcome NtpExchange::exchange(quint16 serverPort, std::optional<StepError>* error) {
    NetTimeValues& nt = NetTime();
    Platform& p = platform();

    do {
        m_nonce = QRandomGenerator::global()->generate64();
    } while (m_nonce == 0);
    const QByteArray request = BuildSntpRequest(p.currentUtc(), m_nonce);

    if (wskNTP->state() != QAbstractSocket::UnconnectedState) wskNTP->close();

    const QString address = ResolveHostAddress(nt.NtpServer);
    if (address.isEmpty()) {
        emit currentTimeTipChanged(QStringLiteral("Could not resolve the time server ") +
                                   nt.NtpServer + QStringLiteral(" to synch the time @ ") +
                                   LongTimeText(p.currentLocal().time()));
        CloseNtpSocket();
        return Outcome::Unresolved;
    }
    m_server = QHostAddress(address);
    m_serverPort = serverPort;
    if (!bindLocalPort(error)) return Outcome::TimedOut;

    nt.SyncStartTicks = p.tickCountMs();
    errno = 0;
    const qint64 sent = wskNTP->writeDatagram(request, m_server, m_serverPort);
    if (sent != request.size()) {
        const int lastError = errno;
        *error = StepError{int(wskNTP->error()), wskNTP->errorString(), lastError};
        return Outcome::TimedOut;
    }

    if (!waitForReply()) return Outcome::TimedOut;

    if (!m_setClock) {
        const auto ms = qint32(p.tickCountMs() - nt.SyncStartTicks);
        emit roundTripChanged(u'(' + QString::number(ms) + QStringLiteral(" ms)"));
    }
    CloseNtpSocket();
    return Outcome::Replied;
}

bool NtpExchange::bindLocalPort(std::optional<StepError>* error) {
    // The NTP port when it is free and allowed, otherwise any port: a local time daemon
    // usually holds 123 and an ordinary user may not bind it.
    const auto mode = QAbstractSocket::DontShareAddress;
    if (!wskNTP->bind(QHostAddress::AnyIPv4, kNtpPort, mode)) {
        wskNTP->close();
        errno = 0;
        if (!wskNTP->bind(QHostAddress::AnyIPv4, 0, mode)) {
            const int lastError = errno;
            *error = StepError{int(wskNTP->error()), wskNTP->errorString(), lastError};
            return false;
        }
    }
    m_localPort = wskNTP->localPort();
    return true;
}

bool NtpExchange::waitForReply() {
    NetTimeValues& nt = NetTime();
    QTimer wake;
    wake.start(kWakeIntervalMs);
    m_waiting = true;
    bool replied = true;
    while (nt.NtpReplyText.isEmpty()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (qint32(platform().tickCountMs() - nt.SyncStartTicks) > kSntpWaitLimitMs) {
            CloseNtpSocket();
            replied = false;
            break;
        }
    }
    m_waiting = false;
    return replied;
}

void NtpExchange::wskNTP_DataArrival() {
    while (wskNTP->hasPendingDatagrams()) {
        QByteArray datagram(qMax<qint64>(wskNTP->pendingDatagramSize(), 0), '\0');
        QHostAddress from;
        quint16 fromPort = 0;
        const qint64 n = wskNTP->readDatagram(datagram.data(), datagram.size(), &from, &fromPort);
        if (n < 0) break;
        datagram.truncate(n);
        // Only the answer to the request in progress, from its server, counts; anything
        // else is dropped and the wait goes on.
        if (!m_waiting || !NetTime().NtpReplyText.isEmpty()) continue;
        if (!from.isEqual(m_server, QHostAddress::TolerantConversion) || fromPort != m_serverPort)
            continue;
        if (CheckSntpReply(datagram, m_nonce) != SntpVerdict::Accepted) continue;
        applyReply(datagram);
    }
}

void NtpExchange::applyReply(const QByteArray& datagram) {
    NetTimeValues& nt = NetTime();
    Platform& p = platform();
    if (!m_setClock)
        emit localTimeValueChanged(
            p.currentLocal().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    const std::optional<SntpTime> time = DecodeSntpTime(datagram);
    if (!time) return;
    nt.NtpReplyText = time->replyText();
    if (m_setClock) {
        if (!p.setSystemClockUtc(time->clockSetting()))
            p.messageBox(QStringLiteral("Error setting time"), MsgIcon::Critical, errorTitle());
        emit currentTimeTipChanged(QStringLiteral("Last timesync @ ") +
                                   LongTimeText(p.currentLocal().time()));
    } else {
        emit ntpTimeValueChanged(nt.NtpReplyText + QStringLiteral(" UTC"));
    }
}

void NtpExchange::wskNTP_Error(int number, const QString& description) {
    platform().messageBox(QStringLiteral("Socket Err No. : ") + QString::number(number) +
                              QStringLiteral("\r\nDescription : ") + description,
                          MsgIcon::Critical, errorTitle());
    CloseNtpSocket();
}

void NtpExchange::CloseNtpSocket() {
    wskNTP->close();
    NetTime().NtpReplyText.clear();
}

void NtpExchange::showSyncedTip() {
    emit currentTimeTipChanged(QStringLiteral("Time last synched @ ") +
                               LongTimeText(platform().currentLocal().time()));
}

void SyncClock(quint16 serverPort) {
    NtpExchange::instance().SyncClock(serverPort);
}

void CloseNtpSocket() {
    NtpExchange::instance().CloseNtpSocket();
}

}  // namespace horolet
