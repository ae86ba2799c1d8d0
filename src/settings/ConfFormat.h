#pragma once

#include <QSettings>

namespace horolet {

// The settings file: an INI-like text file in UTF-8 whose values are always plain
// text. Unlike QSettings' own INI format it never splits a value at commas, so a
// hand-edited "milk, eggs" reads back as that text. Unquoted values may carry a
// type: "@Int(45)" is an integer; any other "@Name(...)" is a value of another
// type; "@@" stands for a literal "@".
QSettings::Format confFormat();

bool readConf(QIODevice& device, QSettings::SettingsMap& map);
bool writeConf(QIODevice& device, const QSettings::SettingsMap& map);

// A value as written between the quotes, and the reading of one value's text.
QString escapeConfValue(const QString& value);
QVariant parseConfValue(const QString& raw);

}  // namespace horolet
