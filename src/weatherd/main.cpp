// horolet-weatherd: the weather service Horolet's clock asks for its weather line and
// forecast page, fed by the US National Weather Service API.

#include "weatherd/Options.h"
#include "weatherd/Server.h"
#include "weatherd/Upstream.h"
#include "weatherd/WeatherService.h"
#include "weatherd/ZipTable.h"

#include <QCoreApplication>

#include <cstdio>

using namespace horolet::weatherd;

namespace {

// Exit status for a setting the user must fix; the service unit does not restart on it.
constexpr int kBadSettings = 2;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("horolet-weatherd"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOROLET_VERSION));

    DaemonOptions options;
    const ParseOutcome parsed = ParseOptions(QCoreApplication::arguments(), options);
    switch (parsed.action) {
        case ParseOutcome::Action::ShowHelp:
            std::fputs(qPrintable(parsed.message), stdout);
            return 0;
        case ParseOutcome::Action::ShowVersion:
            std::printf("horolet-weatherd %s\n", HOROLET_VERSION);
            return 0;
        case ParseOutcome::Action::Fail:
            std::fprintf(stderr, "horolet-weatherd: %s\n", qPrintable(parsed.message));
            return kBadSettings;
        case ParseOutcome::Action::Run:
            break;
    }

    const ZipTable& zips = ZipTable::builtIn();
    if (zips.size() == 0) {
        std::fprintf(stderr, "horolet-weatherd: the built-in zip code table is missing\n");
        return 1;
    }
    UpstreamOptions upstreamOptions;
    upstreamOptions.base = options.upstream;
    upstreamOptions.contact = options.contact;
    Upstream upstream(upstreamOptions);
    WeatherService service(upstream, zips, ServiceOptions{});
    Server server(service);
    const quint16 port = server.listen(options.address, options.port);
    if (port == 0) {
        std::fprintf(stderr, "horolet-weatherd: cannot listen on %s port %u\n",
                     qPrintable(options.address.toString()), unsigned(options.port));
        return 1;
    }
    const bool v6 = options.address.protocol() == QAbstractSocket::IPv6Protocol;
    std::printf("horolet-weatherd listening on http://%s%s%s:%u/ (upstream %s)\n", v6 ? "[" : "",
                qPrintable(options.address.toString()), v6 ? "]" : "", unsigned(port),
                qPrintable(options.upstream.toString()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
