#include "nettime/ServerList.h"

namespace horolet {

const QStringList& TimeServerList() {
    // One host a line.
    // clang-format off
    static const QStringList list = {
        QStringLiteral("pool.ntp.org"),
        QStringLiteral("0.pool.ntp.org"),
        QStringLiteral("1.pool.ntp.org"),
        QStringLiteral("2.pool.ntp.org"),
        QStringLiteral("3.pool.ntp.org"),
        QStringLiteral("north-america.pool.ntp.org"),
        QStringLiteral("europe.pool.ntp.org"),
        QStringLiteral("asia.pool.ntp.org"),
        QStringLiteral("oceania.pool.ntp.org"),
        QStringLiteral("south-america.pool.ntp.org"),
        QStringLiteral("africa.pool.ntp.org"),
        QStringLiteral("time.nist.gov"),
        QStringLiteral("time-a-g.nist.gov"),
        QStringLiteral("time-b-g.nist.gov"),
        QStringLiteral("time.google.com"),
        QStringLiteral("time.cloudflare.com"),
        QStringLiteral("time.apple.com"),
        QStringLiteral("time.windows.com"),
        QStringLiteral("ntp.ubuntu.com"),
        QStringLiteral("time.facebook.com"),
    };
    // clang-format on
    return list;
}

}  // namespace horolet
