#pragma once

#include "nettime/SntpPacket.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QUdpSocket;

namespace horolet {

// The wait for a reply ends after this many milliseconds of the tick count.
inline constexpr qint32 kSntpWaitLimitMs = 10000;
// Restarts after an error numbered 2 within one SyncClock call.
inline constexpr int kMaxSyncRestarts = 3;

// What SyncClock does after a step the socket layer refused.
enum class StepErrorAction { Restart, RetryAttempt, Report };
StepErrorAction NextStepErrorAction(int errorNumber, int restartsSoFar, int attempt);

// The system's long time format without the zone name, as the hover texts show it.
QString LongTimeText(const QTime& time);

// One SNTP exchange at a time over the socket wskNTP. Its texts go out as signals: the
// main window shows the hover text of CurrentTime, the time-sync options window the
// three labels of a comparison.
class NtpExchange final : public QObject {
    Q_OBJECT
public:
    static NtpExchange& instance();
    ~NtpExchange() override;

    // Resolves NtpServer, sends one request to serverPort and waits for the answer,
    // keeping window events flowing. Returns at once while another exchange waits.
    void SyncClock(quint16 serverPort);
    void CloseNtpSocket();
    bool isWaiting() const { return m_waiting; }
    // The local port of the last request (123 when it could be bound).
    quint16 localPort() const { return m_localPort; }

    // Handlers of the socket's events.
    void wskNTP_DataArrival();
    void wskNTP_Error(int number, const QString& description);

signals:
    void currentTimeTipChanged(const QString& text);
    void localTimeValueChanged(const QString& text);
    void ntpTimeValueChanged(const QString& text);
    void roundTripChanged(const QString& text);

private:
    enum class Outcome { Replied, Unresolved, TimedOut };
    struct StepError {
        int number = 0;
        QString description;
        int lastError = 0;
    };
    enum class CallEnd { Done, Restart };

    NtpExchange();
    CallEnd oneCall(quint16 serverPort, int restarts);
    Outcome exchange(quint16 serverPort, std::optional<StepError>* error);
    bool bindLocalPort(std::optional<StepError>* error);
    bool waitForReply();
    void applyReply(const QByteArray& datagram);
    void showSyncedTip();

    std::unique_ptr<QUdpSocket> wskNTP;
    QHostAddress m_server;
    quint16 m_serverPort = 0;
    quint16 m_localPort = 0;
    quint64 m_nonce = 0;
    bool m_busy = false;
    bool m_waiting = false;
    bool m_setClock = false;  // SetClockOnReply as the exchange began
};

void SyncClock(quint16 serverPort = kNtpPort);
void CloseNtpSocket();

}  // namespace horolet
