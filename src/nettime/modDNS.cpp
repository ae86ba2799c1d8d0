#include "nettime/modDNS.h"

#include "platform/Platform.h"

namespace horolet {

QString ResolveHostAddress(const QString& host) {
    // A Windows build starts and releases the socket library around the lookup and
    // reports a failed release; getaddrinfo needs no library start, so that message
    // cannot arise here.
    return platform().resolveHostIPv4(host);
}

}  // namespace horolet
