#include "nettime/SntpPacket.h"

namespace horolet {

namespace {

constexpr qint64 kEra = 1LL << 32;

void writeBigEndian32(QByteArray& bytes, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = char((value >> (24 - 8 * i)) & 0xFF);
}

quint64 readBigEndian64(const QByteArray& bytes, int offset) {
    return (quint64(ReadBigEndian32(bytes, offset)) << 32) | ReadBigEndian32(bytes, offset + 4);
}

// num / den rounded to the nearest integer, exact halves to the even one (num, den > 0).
qint64 divideHalfEven(quint64 num, quint64 den) {
    quint64 q = num / den;
    const quint64 twiceRest = 2 * (num % den);
    if (twiceRest > den || (twiceRest == den && (q & 1))) ++q;
    return qint64(q);
}

}  // namespace

quint32 ReadBigEndian32(const QByteArray& bytes, int offset) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + offset;
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

qint64 NtpSecondsToUnix(quint32 ntpSeconds) {
    const qint64 era = (ntpSeconds & 0x80000000u) ? 0 : kEra;
    return qint64(ntpSeconds) + era - kNtpToUnixSeconds;
}

quint32 UnixToNtpSeconds(qint64 unixSeconds) {
    return quint32(quint64(unixSeconds + kNtpToUnixSeconds) & 0xFFFFFFFFu);
}

QByteArray BuildSntpRequest(const QDateTime& utcNow, quint64 nonce) {
    QByteArray request(kSntpPacketSize, '\0');
    request[0] = char(0x0B);
    const qint64 ms = utcNow.toMSecsSinceEpoch();
    const qint64 seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    const qint64 millis = ms - seconds * 1000;
    writeBigEndian32(request, 24, UnixToNtpSeconds(seconds));
    writeBigEndian32(request, 28, quint32((quint64(millis) << 32) / 1000));
    writeBigEndian32(request, 40, quint32(nonce >> 32));
    writeBigEndian32(request, 44, quint32(nonce));
    return request;
}

SntpVerdict CheckSntpReply(const QByteArray& datagram, quint64 nonce) {
    if (datagram.size() < kSntpPacketSize) return SntpVerdict::TooShort;
    const auto first = uchar(datagram[0]);
    if ((first & 0x07) != 4) return SntpVerdict::NotServerMode;
    if ((first >> 6) == 3) return SntpVerdict::Unsynchronised;
    const auto stratum = uchar(datagram[1]);
    if (stratum < 1 || stratum > 15) return SntpVerdict::BadStratum;
    if (readBigEndian64(datagram, 40) == 0) return SntpVerdict::NoTransmitTime;
    if (readBigEndian64(datagram, 24) != nonce) return SntpVerdict::NotOurRequest;
    return SntpVerdict::Accepted;
}

std::optional<SntpTime> DecodeSntpTime(const QByteArray& datagram) {
    if (datagram.size() < kSntpPacketSize) return std::nullopt;
    SntpTime t;
    t.unixSeconds = NtpSecondsToUnix(ReadBigEndian32(datagram, 40));
    t.fraction = ReadBigEndian32(datagram, 44);
    t.milliTenThousandths = divideHalfEven(quint64(t.fraction) * 10000000u, quint64(kEra));
    t.wMilliseconds = int(divideHalfEven(quint64(t.milliTenThousandths), 10000));
    return t;
}

QString SntpTime::replyText() const {
    return QDateTime::fromSecsSinceEpoch(unixSeconds, QTimeZone::utc())
        .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QDateTime SntpTime::clockSetting() const {
    return QDateTime::fromMSecsSinceEpoch(unixSeconds * 1000 + wMilliseconds, QTimeZone::utc());
}

}  // namespace horolet
