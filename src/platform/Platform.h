#pragma once

#include <QDateTime>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTimeZone>

#include <memory>

class QWidget;

namespace horolet {

// Icons of a message box; the numbers follow the classic MsgBox constants.
enum class MsgIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };

// What the windows need to know about the screens, in logical pixels.
struct ScreenMetrics {
    QRect primary;          // geometry of the primary screen
    QRect virtualDesktop;   // bounding rectangle of all screens
    int monitorCount = 1;
    bool allSameDepth = true;
    QList<QRect> screens;   // each screen's geometry; empty when only the above are known
};

// What the local time zone says about itself, in the shape of the classic
// time-zone query: biases in minutes, UTC = local + bias.
struct LocalZoneInfo {
    enum class Outcome { Failed, NoDaylightInfo, Standard, Daylight };
    Outcome outcome = Outcome::Failed;
    int biasMinutes = 0;
    int standardBiasMinutes = 0;
    int daylightBiasMinutes = 0;
};

// A window procedure: the window, a message number and its two parameters; its result.
// On Linux a message is an X11 client message whose data words are the number and
// the parameters.
using WindowHandle = quintptr;
using WindowProc = qintptr (*)(WindowHandle window, quint32 message, quintptr wParam,
                               qintptr lParam);

// Everything the operating system provides to the program. The Linux
// implementation talks to the real system; tests install a fake.
class Platform {
public:
    virtual ~Platform() = default;

    // Clock. UTC with milliseconds; local time is the same instant in localZone().
    virtual QDateTime currentUtc() const = 0;
    virtual QTimeZone localZone() const = 0;
    QDateTime currentLocal() const { return currentUtc().toTimeZone(localZone()); }
    // Sets the system clock; false when the system refuses.
    virtual bool setSystemClockUtc(const QDateTime& utc) = 0;
    // A 32-bit millisecond counter that wraps around.
    virtual quint32 tickCountMs() const = 0;
    virtual LocalZoneInfo localZoneInfo() const = 0;

    // Network.
    virtual bool isOnline() const = 0;
    // First IPv4 address of a host name as dotted text, or empty text.
    virtual QString resolveHostIPv4(const QString& host) = 0;

    // Screens.
    virtual ScreenMetrics screenMetrics() const = 0;
    int twipsPerPixelX() const { return 15; }
    int twipsPerPixelY() const { return 15; }
    QSize primaryScreenTwips() const;
    QSize virtualScreenPixels() const { return screenMetrics().virtualDesktop.size(); }

    // A modal box with an OK button. Tests read it instead of blocking.
    virtual void messageBox(const QString& text, MsgIcon icon, const QString& title) = 0;
    // A modal Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;

    // Window integration: keep a top-level window out of the task bar and pager.
    virtual void hideFromTaskbar(QWidget* window) = 0;
    // Where the windowing system places windows itself (Wayland), hands a move that the
    // pointer has just started to it; false where the program moves its windows.
    virtual bool startSystemMove(QWidget* window) = 0;
    // The same for a resize by the given edges.
    virtual bool startSystemResize(QWidget* window, Qt::Edges edges) = 0;

    // Window procedures. setWindowProc installs a procedure for one of the program's
    // windows and returns the one it replaced; for an unknown window or a null procedure
    // it changes nothing and returns null. callWindowProc hands a message to a saved one.
    virtual WindowProc setWindowProc(WindowHandle window, WindowProc proc) = 0;
    static qintptr callWindowProc(WindowProc proc, WindowHandle window, quint32 message,
                                  quintptr wParam, qintptr lParam) {
        return proc ? proc(window, message, wParam, lParam) : 0;
    }
};

Platform& platform();
// Installs the platform the program uses; returns the previous one to the caller.
std::unique_ptr<Platform> installPlatform(std::unique_ptr<Platform> p);

// The application's title for message boxes without one of their own.
inline QString appTitle() { return QStringLiteral("Horolet"); }

}  // namespace horolet
