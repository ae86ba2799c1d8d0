#pragma once

#include <QString>
#include <QVariant>

namespace horolet {

inline const QString kAppName = QStringLiteral("Horolet");
inline const QString kSection = QStringLiteral("Options");

// Returns the stored text, or the default as text when the value is missing,
// empty, "Unknown", or of a type other than text or integer. Never fails.
QString ReadSetting(const QString& appName, const QString& section, const QString& key,
                    const QVariant& defaultValue);
// Stores the text; it is on disk (atomically replaced) when this returns.
// Failures are silent.
void WriteSetting(const QString& appName, const QString& section, const QString& key,
                  const QString& value);

// The program's own application and section.
inline QString ReadOption(const QString& key, const QVariant& defaultValue) {
    return ReadSetting(kAppName, kSection, key, defaultValue);
}
inline void WriteOption(const QString& key, const QString& value) {
    WriteSetting(kAppName, kSection, key, value);
}

// A default or a number as the store writes it: "True"/"False", 1440, -3000, 12.5.
QString SettingText(const QVariant& value);
QString NumberText(double value);

// Conversions of stored text; text that does not convert, or lies outside the
// type's range, gives the fallback. Fractions round half to even.
qint32 ToInt32(const QString& text, qint32 fallback);
qint16 ToInt16(const QString& text, qint16 fallback);
float ToFloat(const QString& text, float fallback);
bool ToBool(const QString& text, bool fallback);

// Typed reads of the program's section: the key's default when the text does not convert.
qint32 ReadOptionInt32(const QString& key, qint32 def);
qint16 ReadOptionInt16(const QString& key, qint16 def);
float ReadOptionFloat(const QString& key, float def);
bool ReadOptionBool(const QString& key, bool def);

// Path of the per-user settings file (Linux), for tools and tests.
QString SettingsFilePath();

}  // namespace horolet
