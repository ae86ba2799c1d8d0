#include "nettime/ZoneTable.h"

#include <cmath>

namespace horolet {

const std::array<ZoneEntry, kZoneCount>& ZoneTable() {
    static const std::array<ZoneEntry, kZoneCount> table = {{
        {"US & Canada - Central Time", -6.0, true},
        {"US & Canada - Eastern Time", -5.0, true},
        {"US & Canada - Mountain Time", -7.0, true},
        {"US & Canada - Pacific Time", -8.0, true},
        {"Abu Dhabi", 4.0, true},
        {"Adelaide", 9.5, true},
        {"Alaska", -9.0, true},
        {"Almaty", 6.0, true},
        {"Amsterdam", 1.0, true},
        {"Arizona", -7.0, true},
        {"Athens", 2.0, true},
        {"Aukland", 12.0, true},
        {"Azores", -1.0, true},
        {"Baghdad", 3.0, true},
        {"Bangkok", 7.0, true},
        {"Beijing", 8.0, true},
        {"Berlin", 1.0, true},
        {"Bern", 1.0, true},
        {"Bogota", -5.0, true},
        {"Bombay", 5.5, true},
        {"Brasilia", -3.0, true},
        {"Brisbane", 10.0, false},
        {"Brussels", 1.0, true},
        {"Buenos Aires", -3.0, true},
        {"Cairo", 2.0, true},
        {"Calcutta", 5.5, true},
        {"Canada - Atlantic Time", -4.0, true},
        {"Cape Verde Is.", -1.0, true},
        {"Caracas", -4.0, true},
        {"Casablanca", 0.0, true},
        {"Chongqing", 8.0, true},
        {"Colombo", 5.5, true},
        {"Darwin", 9.5, true},
        {"Dhaka", 6.0, true},
        {"Dublin", 0.0, true},
        {"Eastern Europe", 2.0, true},
        {"Edingburgh", 0.0, true},
        {"Ekaterinburg", 5.0, true},
        {"Eniwetok", -12.0, true},
        {"Fiji", 12.0, true},
        {"Georgetown", -3.0, true},
        {"Guam", 10.0, true},
        {"Hanoi", 7.0, true},
        {"Harare", 2.0, true},
        {"Hawaii", -10.0, false},
        {"Helsinki", 2.0, true},
        {"Hobart", 10.0, true},
        {"Hong Kong", 8.0, true},
        {"Indiana (East)", -5.0, true},
        {"Islamabad", 5.0, true},
        {"Israel", 2.0, true},
        {"Istanbul", 2.0, true},
        {"Jakarta", 7.0, true},
        {"Kabul", 4.5, true},
        {"Kamchatka", 12.0, true},
        {"Karachi", 5.0, true},
        {"Kazan", 4.0, true},
        {"Kuwait", 3.0, true},
        {"Kwajalein", -12.0, true},
        {"La Paz", -4.0, true},
        {"Las Vegas, Nevada", -8.0, true},
        {"Lima", -5.0, true},
        {"Lisbon", 0.0, true},
        {"London", 0.0, true},
        {"Madras", 5.5, true},
        {"Madrid", 1.0, true},
        {"Magadan", 11.0, true},
        {"Marshall Is.", 12.0, true},
        {"Melbourne", 10.0, true},
        {"Mexico City", -6.0, true},
        {"Mid-Atlantic", -2.0, true},
        {"Midway Island", -11.0, true},
        {"Monrovia", 0.0, true},
        {"Moscow", 3.0, true},
        {"Muscat", 4.0, true},
        {"Nairobi", 3.0, true},
        {"New Caledonia", 11.0, true},
        {"New Delhi", 5.5, true},
        {"Newfoundland", -3.5, true},
        {"Osaka", 9.0, true},
        {"Paris", 1.0, true},
        {"Perth", 8.0, true},
        {"Port Moresby", 10.0, true},
        {"Prague", 1.0, true},
        {"Pretoria", 2.0, true},
        {"Riyadh", 3.0, true},
        {"Rome", 1.0, true},
        {"Samoa", -11.0, true},
        {"Sapporo", 9.0, true},
        {"Saskatchewan", -6.0, true},
        {"Seattle, Washington", -8.0, true},
        {"Seoul", 9.0, true},
        {"Singapore", 8.0, true},
        {"Solomon Is.", 11.0, true},
        {"St. Petersburg", 3.0, true},
        {"Stockholm", 1.0, true},
        {"Sydney", 10.0, true},
        {"Taipei", 8.0, true},
        {"Tashkent", 5.0, true},
        {"Tbilisi", 4.0, true},
        {"Tegucigalpa", -6.0, true},
        {"Tehran", 3.0, true},
        {"Tijuana", -8.0, true},
        {"Tokyo", 9.0, true},
        {"Urumqi", 8.0, true},
        {"Vienna", 1.0, true},
        {"Vladivostok", 10.0, true},
        {"Volgograd", 4.0, true},
        {"Warsaw", 1.0, true},
        {"Wellington", 12.0, true},
        {"Yakutsk", 9.0, true},
    }};
    return table;
}

ZoneOffsetArray BuildZoneOffsets(qint16 dstShiftHours) {
    ZoneOffsetArray offsets{};
    const auto& table = ZoneTable();
    for (int i = 0; i < kZoneCount; ++i) {
        const ZoneEntry& e = table[std::size_t(i)];
        offsets[std::size_t(i) + 1] =
            e.shiftedInDaylightTime ? e.offsetHours - dstShiftHours : e.offsetHours;
    }
    return offsets;
}

std::optional<LocalZoneBias> LocalZoneBiasFrom(const LocalZoneInfo& info) {
    LocalZoneBias bias;
    switch (info.outcome) {
        case LocalZoneInfo::Outcome::Failed:
            break;  // local time is taken as UTC
        case LocalZoneInfo::Outcome::NoDaylightInfo:
            return std::nullopt;
        case LocalZoneInfo::Outcome::Standard:
            bias.LocalBiasMinutes = info.biasMinutes + info.standardBiasMinutes;
            break;
        case LocalZoneInfo::Outcome::Daylight:
            bias.LocalBiasMinutes = info.biasMinutes + info.daylightBiasMinutes;
            bias.DstShiftHours = qint16(std::nearbyint(info.daylightBiasMinutes / 60.0));
            break;
    }
    return bias;
}

QDateTime ZoneWallClock(const QDateTime& local, double zoneOffsetMinutes, double localBiasMinutes) {
    // Plain wall-clock arithmetic: the local zone's own transitions play no part.
    const QDateTime wall(local.date(), local.time(), QTimeZone::utc());
    return wall.addMSecs(qint64(std::llround((zoneOffsetMinutes + localBiasMinutes) * 60000.0)));
}

}  // namespace horolet
