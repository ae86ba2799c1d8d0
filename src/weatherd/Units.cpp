#include "weatherd/Units.h"

#include <QJsonObject>
#include <QString>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace horolet::weatherd {

namespace {

using Factor = std::pair<const char16_t*, double>;

// "wmoUnit:km_h-1", "unit:degC" and "km_h-1" all name the same unit.
QStringView BareUnit(QStringView code) {
    const qsizetype colon = code.lastIndexOf(u':');
    return colon < 0 ? code : code.mid(colon + 1);
}

struct Reading {
    double value = 0;
    QString unit;
};

std::optional<Reading> Read(const QJsonValue& quantity) {
    if (!quantity.isObject()) return std::nullopt;
    const QJsonObject o = quantity.toObject();
    const QJsonValue v = o.value(QLatin1String("value"));
    if (!v.isDouble() || !std::isfinite(v.toDouble())) return std::nullopt;
    return Reading{v.toDouble(), o.value(QLatin1String("unitCode")).toString()};
}

std::optional<double> Scaled(const QJsonValue& quantity, std::initializer_list<Factor> units) {
    const auto r = Read(quantity);
    if (!r) return std::nullopt;
    const QStringView unit = BareUnit(r->unit);
    for (const auto& [name, factor] : units)
        if (unit == QStringView(name)) return r->value * factor;
    return std::nullopt;
}

}  // namespace

std::optional<double> CelsiusFrom(double value, QStringView unit) {
    unit = BareUnit(unit);
    if (unit == u"degC" || unit == u"C" || unit == u"Cel") return value;
    if (unit == u"degF" || unit == u"F" || unit == u"[degF]") return (value - 32.0) * 5.0 / 9.0;
    if (unit == u"K") return value - 273.15;
    return std::nullopt;
}

std::optional<double> Celsius(const QJsonValue& quantity) {
    const auto r = Read(quantity);
    if (!r) return std::nullopt;
    return CelsiusFrom(r->value, r->unit);
}

std::optional<double> MetresPerSecond(const QJsonValue& quantity) {
    return Scaled(quantity, {{u"m_s-1", 1.0},
                             {u"km_h-1", 1000.0 / 3600.0},
                             {u"mi_h-1", 0.44704},
                             {u"[mi_i]/h", 0.44704},
                             {u"kt", 1852.0 / 3600.0},
                             {u"kn", 1852.0 / 3600.0},
                             {u"[kn_i]", 1852.0 / 3600.0}});
}

std::optional<double> Pascals(const QJsonValue& quantity) {
    return Scaled(quantity, {{u"Pa", 1.0},
                             {u"hPa", 100.0},
                             {u"mbar", 100.0},
                             {u"kPa", 1000.0},
                             {u"[in_i'Hg]", 3386.389},
                             {u"inHg", 3386.389}});
}

std::optional<double> Metres(const QJsonValue& quantity) {
    return Scaled(quantity, {{u"m", 1.0},
                             {u"km", 1000.0},
                             {u"mi", 1609.344},
                             {u"[mi_i]", 1609.344},
                             {u"ft", 0.3048},
                             {u"[ft_i]", 0.3048}});
}

std::optional<double> Percent(const QJsonValue& quantity) {
    return Scaled(quantity, {{u"percent", 1.0}, {u"%", 1.0}});
}

std::optional<double> Degrees(const QJsonValue& quantity) {
    return Scaled(quantity, {{u"degree_(angle)", 1.0}, {u"deg", 1.0}});
}

}  // namespace horolet::weatherd
