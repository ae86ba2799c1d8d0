#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace horolet {

inline constexpr quint16 kNtpPort = 123;
inline constexpr int kSntpPacketSize = 48;
// Seconds from 1900-01-01 to 1970-01-01.
inline constexpr qint64 kNtpToUnixSeconds = 2208988800LL;

// The 48-byte client request: version 1, client mode, the client time in the originate
// field (24-31) and a random value in the transmit field (40-47) that the server copies
// into the originate field of its reply.
QByteArray BuildSntpRequest(const QDateTime& utcNow, quint64 nonce);

// Seconds since 1970 for the 32-bit seconds of an NTP timestamp. Values with the top bit
// clear belong to the era that begins on 2036-02-07, so 1968-2104 is covered.
qint64 NtpSecondsToUnix(quint32 ntpSeconds);
// The 32-bit seconds field for a time, modulo 2^32 (the era is implied).
quint32 UnixToNtpSeconds(qint64 unixSeconds);

// Reads a big-endian 32-bit value at an offset; the caller checks the length.
quint32 ReadBigEndian32(const QByteArray& bytes, int offset);

// Why a datagram is not taken as the answer to the request.
enum class SntpVerdict {
    Accepted,
    WrongSender,
    TooShort,
    NotServerMode,
    Unsynchronised,  // leap indicator 3
    BadStratum,
    NoTransmitTime,
    NotOurRequest,  // originate field differs from the request's value
};

SntpVerdict CheckSntpReply(const QByteArray& datagram, quint64 nonce);

// The server's transmit time as the program uses it.
struct SntpTime {
    qint64 unixSeconds = 0;          // whole seconds of the transmit timestamp
    quint32 fraction = 0;            // 1/2^32 s units
    qint64 milliTenThousandths = 0;  // fraction in 0.0001 ms, rounded half to even
    int wMilliseconds = 0;           // milliseconds rounded half to even (can be 1000)

    // The reply instant at whole seconds, "yyyy/mm/dd hh:nn:ss" (UTC).
    QString replyText() const;
    // The clock setting: the whole seconds plus the rounded milliseconds; 1000 ms
    // carries into the next second.
    QDateTime clockSetting() const;
};

// Decodes bytes 40-47; nullopt for a datagram shorter than 48 bytes.
std::optional<SntpTime> DecodeSntpTime(const QByteArray& datagram);

}  // namespace horolet
