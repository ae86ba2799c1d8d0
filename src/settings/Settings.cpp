#include "settings/Settings.h"

#include "settings/ConfFormat.h"
#include "settings/ConfStore.h"

#include <QHash>
#include <QMutex>
#include <QSettings>

#include <cmath>
#include <limits>

namespace horolet {

namespace {

#ifndef Q_OS_WIN
// Where QSettings keeps the application's file; worked out once per application, as
// QSettings itself settles its folders once per process.
QString storePath(const QString& appName) {
    static QMutex mutex;
    static QHash<QString, QString> paths;
    const QMutexLocker locker(&mutex);
    auto it = paths.find(appName);
    if (it == paths.end())
        it = paths.insert(
            appName, QSettings(confFormat(), QSettings::UserScope, appName, appName).fileName());
    return *it;
}
#endif

#ifdef Q_OS_WIN
std::unique_ptr<QSettings> openStore(const QString& appName) {
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\") + appName,
                                       QSettings::NativeFormat);
}
#endif

// Text of a stored value, or null when its type is neither text nor integer.
QString storedText(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::QString:
            return v.toString();
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return QString::number(v.toLongLong());
        default:
            return {};
    }
}

bool toWhole(const QString& text, double lo, double hi, double* out) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    const double r = std::nearbyint(d);  // default rounding mode: half to even
    if (r < lo || r > hi) return false;
    *out = r;
    return true;
}

}  // namespace

QString NumberText(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 7);
}

QString SettingText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::Float:
        case QMetaType::Double:
            return NumberText(value.toDouble());
        default:
            return value.toString();
    }
}

QString ReadSetting(const QString& appName, const QString& section, const QString& key,
                    const QVariant& defaultValue) {
#ifdef Q_OS_WIN
    QString text;
    {
        auto store = openStore(appName);
        text = storedText(store->value(section + QLatin1Char('/') + key));
    }
#else
    QString text = storedText(ReadConfValue(storePath(appName), section + QLatin1Char('/') + key));
#endif
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0) text.truncate(nul);
    if (text.isEmpty() || text == QLatin1String("Unknown")) return SettingText(defaultValue);
    return text;
}

void WriteSetting(const QString& appName, const QString& section, const QString& key,
                  const QString& value) {
#ifdef Q_OS_WIN
    auto store = openStore(appName);
    store->setValue(section + QLatin1Char('/') + key, value);
    store->sync();
#else
    // Not through QSettings: its lock file costs a second sync to disk on every write.
    WriteConfValue(storePath(appName), section + QLatin1Char('/') + key, value);
#endif
}

qint32 ToInt32(const QString& text, qint32 fallback) {
    double d = 0;
    if (!toWhole(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), &d))
        return fallback;
    return static_cast<qint32>(d);
}

qint16 ToInt16(const QString& text, qint16 fallback) {
    double d = 0;
    if (!toWhole(text, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(), &d))
        return fallback;
    return static_cast<qint16>(d);
}

float ToFloat(const QString& text, float fallback) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
        return fallback;
    return static_cast<float>(d);
}

bool ToBool(const QString& text, bool fallback) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (ok && std::isfinite(d)) return d != 0;
    return fallback;
}

qint32 ReadOptionInt32(const QString& key, qint32 def) {
    return ToInt32(ReadOption(key, def), def);
}
qint16 ReadOptionInt16(const QString& key, qint16 def) {
    return ToInt16(ReadOption(key, def), def);
}
float ReadOptionFloat(const QString& key, float def) {
    return ToFloat(ReadOption(key, double(def)), def);
}
bool ReadOptionBool(const QString& key, bool def) {
    return ToBool(ReadOption(key, def), def);
}

QString SettingsFilePath() {
#ifdef Q_OS_WIN
    return openStore(kAppName)->fileName();
#else
    return storePath(kAppName);
#endif
}

}  // namespace horolet
