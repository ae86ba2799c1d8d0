#pragma once

#include <QDateTime>
#include <QString>

namespace horolet {

// Process-wide values. Each struct has one instance, zeroed at start and filled by
// the main window's load; tests reset them with ResetGlobals().

struct AppValues {
    QString WeatherText;
    bool WeatherShown = false;
    bool OptionsExpanded = false;
    QString ZipCode;
};

struct StickyValues {
    bool StickyVisible = false;
    QString StickyTitle;
    QString StickyText;
    float StickyTop = 0;
    float StickyLeft = 0;
    float StickyWidth = 0;
    float StickyHeight = 0;
};

struct StopwatchValues {
    qint16 StopwatchState = 0;  // 0 idle, 1 paused, 2 running
    QDateTime StopwatchStart;   // null: the run has not had its first tick
    qint32 StopwatchRunSeconds = 0;
    qint32 StopwatchBankedSeconds = 0;
};

struct NetTimeValues {
    QString NtpServer;
    qint16 SyncMinutes = 0;
    qint16 WeatherMinutes = 0;
    qint16 SyncMinuteCount = 0;
    qint16 WeatherMinuteCount = 0;
    bool SetClockOnReply = false;
    QString NtpReplyText;
    quint32 SyncStartTicks = 0;
};

// Shared by the main window's drag and the note's title drag; at most one drag at a time.
struct DragValues {
    bool DragActive = false;
    float DragStartX = 0;  // twips, relative to the pressed control
    float DragStartY = 0;
};

AppValues& App();
StickyValues& Sticky();
StopwatchValues& Stopwatch();
NetTimeValues& NetTime();
DragValues& Drag();

void ResetGlobals();

}  // namespace horolet
