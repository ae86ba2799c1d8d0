#pragma once

#include "platform/Platform.h"

namespace horolet {

// The real system, through Qt and a few POSIX and X11 calls.
class LinuxPlatform final : public Platform {
public:
    QDateTime currentUtc() const override;
    QTimeZone localZone() const override;
    bool setSystemClockUtc(const QDateTime& utc) override;
    quint32 tickCountMs() const override;
    LocalZoneInfo localZoneInfo() const override;
    bool isOnline() const override;
    QString resolveHostIPv4(const QString& host) override;
    ScreenMetrics screenMetrics() const override;
    void messageBox(const QString& text, MsgIcon icon, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void hideFromTaskbar(QWidget* window) override;
    bool startSystemMove(QWidget* window) override;
};

}  // namespace horolet
