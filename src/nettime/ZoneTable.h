#pragma once

#include "platform/Platform.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

namespace horolet {

// One place of the world-time list: its text and its standard UTC offset in hours.
struct ZoneEntry {
    const char* text;
    double offsetHours;
    bool shiftedInDaylightTime;  // moved by the local daylight shift
};

inline constexpr int kZoneCount = 111;
const std::array<ZoneEntry, kZoneCount>& ZoneTable();

// UTC offsets in hours: list position p at index p + 1; index 0 and 112-115 stay 0.
using ZoneOffsetArray = std::array<double, 116>;
// Every entry but the unshifted ones is stored as offset - dstShiftHours.
ZoneOffsetArray BuildZoneOffsets(qint16 dstShiftHours);

// The local zone as the world-time window uses it.
struct LocalZoneBias {
    double LocalBiasMinutes = 0;  // minutes to add to local time for UTC
    qint16 DstShiftHours = 0;     // daylight bias in whole hours while daylight time is in force
};
// nullopt when the zone's daylight rules exist but cannot be read.
std::optional<LocalZoneBias> LocalZoneBiasFrom(const LocalZoneInfo& info);

// The wall-clock time of the chosen place for a local wall-clock reading.
QDateTime ZoneWallClock(const QDateTime& local, double zoneOffsetMinutes, double localBiasMinutes);

}  // namespace horolet
