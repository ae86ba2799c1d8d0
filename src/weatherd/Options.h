#pragma once

// The daemon's settings: command-line options over a small "Key=Value" file.

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace horolet::weatherd {

constexpr quint16 kDefaultPort = 8797;

struct DaemonOptions {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = kDefaultPort;
    QUrl upstream = QUrl(QStringLiteral("https://api.weather.gov"));
    QString contact;
};

struct ParseOutcome {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    QString message;  // the help text, or what is wrong
};

// $XDG_CONFIG_HOME/Horolet/weatherd.conf
QString DefaultConfigFile();

// arguments include the program name. Reads --config FILE, else the default file when it
// exists; options given on the command line win over the file.
ParseOutcome ParseOptions(const QStringList& arguments, DaemonOptions& options);

// "127.0.0.1:8797", "[::1]:8797", or a bare port on 127.0.0.1.
bool ParseListen(const QString& text, QHostAddress& address, quint16& port);

// Printable ASCII, as it goes into a request header.
bool ValidContact(const QString& contact);

}  // namespace horolet::weatherd
