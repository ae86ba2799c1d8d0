// What one keystroke in the sticky note costs with a large note. Every key runs the
// change handler, which writes the whole note to the settings store before returning.
//   sticky_keystroke [keys]
// Prints, per note shape, the time of a keystroke (wall clock: median, 90th percentile,
// max; and the processor time it used) and of its two parts: reading the text out of the
// box and the store's write. The difference between wall clock and processor time is
// mostly the wait for the disk (the store syncs every write).

#include "app/Globals.h"
#include "settings/Settings.h"
#include "sticky/frmSticky.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace horolet;

namespace {

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Wall-clock times of each run, and the processor time of all of them.
struct Timing {
    std::vector<double> wallMs;
    double cpuMsEach = 0;
};

template <class F>
Timing timeEach(int n, F&& f) {
    Timing t;
    QElapsedTimer wall;
    const double cpu0 = cpuMs();
    for (int i = 0; i < n; ++i) {
        wall.start();
        f(i);
        t.wallMs.push_back(double(wall.nsecsElapsed()) / 1e6);
    }
    t.cpuMsEach = (cpuMs() - cpu0) / n;
    return t;
}

void print(const char* what, Timing t) {
    std::vector<double>& ms = t.wallMs;
    std::sort(ms.begin(), ms.end());
    std::printf("  %-20s wall: median %6.2f  p90 %6.2f  max %6.2f ms;  processor %6.2f ms\n", what,
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back(), t.cpuMsEach);
}

void run(const char* shape, const QString& text, int keys) {
    Sticky().StickyText = text;
    Sticky().StickyTitle = QStringLiteral("Notes");
    Sticky().StickyWidth = Sticky().StickyHeight = 4500;
    ShowStickyNote();
    frmSticky* note = frmSticky::loadedForm();
    QPlainTextEdit* box = note->dataStickyText;
    QTextCursor c = box->textCursor();
    c.setPosition(int(text.size() / 2));
    box->setTextCursor(c);
    QCoreApplication::processEvents();

    std::printf("%s (%lld characters)\n", shape, qlonglong(note->noteText().size()));
    print("keystroke", timeEach(keys, [&](int) {
              QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
              QCoreApplication::sendEvent(box, &press);
          }));
    print("text out of the box", timeEach(keys, [&](int) { (void)note->noteText(); }));
    const QString now = note->noteText();
    print("store write",
          timeEach(keys, [&](int) { WriteOption(QStringLiteral("StickyText"), now); }));
    frmSticky::unloadForm();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FormLifetime::setQuitWhenLastUnloads(false);
    const int keys = argc > 1 ? qMax(10, QByteArray(argv[1]).toInt()) : 200;

    // A store like a user's: every other setting is there too.
    for (const char* key :
         {"Timer", "Top", "Left", "StickyVisible", "StickyTop", "StickyLeft", "StickyWidth",
          "StickyHeight", "ZipCode", "NTPServer", "SyncMins", "WeatherMins"})
        WriteOption(QString::fromLatin1(key), QStringLiteral("1440"));

    QString lines;
    while (lines.size() < 100000)
        lines += QStringLiteral("The quick brown fox jumps over the lazy dog, line after line.\n");
    lines.truncate(100000);
    run("100 000 characters in lines of 62", lines, keys);
    run("100 000 characters in one paragraph", QString(lines).replace(u'\n', u' '), keys);
    return 0;
}
