#include "app/Forms.h"

#include <QCoreApplication>
#include <QTimer>

namespace horolet {

namespace {
int g_loaded = 0;
bool g_quit = true;
}  // namespace

void FormLifetime::track(QWidget* form) {
    ++g_loaded;
    QObject::connect(form, &QObject::destroyed, [] {
        if (--g_loaded == 0 && g_quit && QCoreApplication::instance())
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    });
}

int FormLifetime::loadedCount() { return g_loaded; }

void FormLifetime::setQuitWhenLastUnloads(bool quit) { g_quit = quit; }

}  // namespace horolet
