#pragma once

#include <QStringList>

namespace horolet {

// Public time servers offered in the time-sync options; the first is the default server.
const QStringList& TimeServerList();
inline QString DefaultNtpServer() {
    return TimeServerList().constFirst();
}

}  // namespace horolet
