#include "weatherd/Options.h"

#include <QCommandLineParser>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

namespace horolet::weatherd {

namespace {

constexpr int kContactMax = 200;

// Lines of "Key=Value"; "#" and ";" start comments, "[...]" headers are ignored.
bool ReadConfig(const QString& path, QHash<QString, QString>& values, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';') ||
            line.startsWith(u'['))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) {
            error = QStringLiteral("%1:%2: expected Key=Value").arg(path).arg(number);
            return false;
        }
        values.insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
    }
    return true;
}

bool ValidUpstream(const QUrl& url) {
    return url.isValid() && (url.scheme() == u"https" || url.scheme() == u"http") &&
           !url.host().isEmpty() && !url.hasQuery() && !url.hasFragment();
}

}  // namespace

QString DefaultConfigFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Horolet/weatherd.conf");
}

bool ParseListen(const QString& text, QHostAddress& address, quint16& port) {
    QString host = QStringLiteral("127.0.0.1");
    QString portText = text.trimmed();
    const qsizetype colon = portText.lastIndexOf(u':');
    if (colon >= 0) {
        host = portText.left(colon);
        portText = portText.mid(colon + 1);
        if (host.startsWith(u'[') && host.endsWith(u']')) host = host.mid(1, host.size() - 2);
    }
    bool ok = false;
    const uint p = portText.toUInt(&ok);
    QHostAddress a;
    if (!ok || p > 65535 || !a.setAddress(host)) return false;
    address = a;
    port = quint16(p);
    return true;
}

bool ValidContact(const QString& contact) {
    if (contact.trimmed().isEmpty() || contact.size() > kContactMax) return false;
    for (const QChar c : contact)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    return true;
}

ParseOutcome ParseOptions(const QStringList& arguments, DaemonOptions& options) {
    using Action = ParseOutcome::Action;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves Horolet's weather line and forecast page from the US National Weather "
        "Service API."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Address and port to serve on (default 127.0.0.1:8797)."),
        QStringLiteral("address:port"));
    const QCommandLineOption upstream(
        QStringLiteral("upstream"),
        QStringLiteral("Base address of the weather API (default https://api.weather.gov)."),
        QStringLiteral("url"));
    const QCommandLineOption contact(
        QStringLiteral("contact"),
        QStringLiteral("Your e-mail address or web site, sent to the weather API with every "
                       "request (required)."),
        QStringLiteral("text"));
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("Settings file (default %1).").arg(DefaultConfigFile()),
        QStringLiteral("file"));
    parser.addOptions({help, version, listen, upstream, contact, config});
    if (!parser.parse(arguments)) return {Action::Fail, parser.errorText()};
    if (parser.isSet(help)) return {Action::ShowHelp, parser.helpText()};
    if (parser.isSet(version)) return {Action::ShowVersion, {}};
    if (!parser.positionalArguments().isEmpty())
        return {Action::Fail, QStringLiteral("unexpected argument: ") +
                                  parser.positionalArguments().constFirst()};

    QHash<QString, QString> values;
    const QString file = parser.isSet(config) ? parser.value(config) : DefaultConfigFile();
    if (parser.isSet(config) || QFile::exists(file)) {
        QString error;
        if (!ReadConfig(file, values, error)) return {Action::Fail, error};
    }
    const auto pick = [&](const QCommandLineOption& option, const char* key) {
        return parser.isSet(option) ? parser.value(option)
                                    : values.value(QLatin1String(key), QString());
    };

    const QString listenText = pick(listen, "listen");
    if (!listenText.isEmpty() && !ParseListen(listenText, options.address, options.port))
        return {Action::Fail, QStringLiteral("not an address and port: ") + listenText};
    const QString upstreamText = pick(upstream, "upstream");
    if (!upstreamText.isEmpty()) {
        const QUrl url(upstreamText, QUrl::StrictMode);
        if (!ValidUpstream(url))
            return {Action::Fail, QStringLiteral("not an http(s) base address: ") + upstreamText};
        options.upstream = url;
    }
    options.contact = pick(contact, "contact");
    if (options.contact.isEmpty())
        return {Action::Fail,
                QStringLiteral("no contact set: the weather API asks every client for one. Put "
                               "Contact=you@example.com into %1 or pass --contact.")
                    .arg(file)};
    if (!ValidContact(options.contact))
        return {Action::Fail,
                QStringLiteral("the contact must be printable ASCII of at most %1 characters")
                    .arg(kContactMax)};
    return {};
}

}  // namespace horolet::weatherd
