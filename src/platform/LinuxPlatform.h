#pragma once

#include "platform/Platform.h"

#include <memory>

namespace horolet {

// A zone at an instant in the shape of the classic time-zone query. A zone without
// daylight-saving rules in use reports standard time.
LocalZoneInfo DescribeZone(const QTimeZone& zone, const QDateTime& atUtc);

// The real system, through Qt and a few POSIX and X11 calls.
class X11WindowProcs;

class LinuxPlatform final : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

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
    bool startSystemResize(QWidget* window, Qt::Edges edges) override;
    WindowProc setWindowProc(WindowHandle window, WindowProc proc) override;

private:
    std::unique_ptr<X11WindowProcs> m_windowProcs;
};

}  // namespace horolet
