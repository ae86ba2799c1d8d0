#include "app/Lifecycle.h"
#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Horolet"));
    QApplication::setOrganizationName(QStringLiteral("Horolet"));
    // The process ends by its own rule: when the main window and every other window it
    // opened have unloaded.
    QApplication::setQuitOnLastWindowClosed(false);
    horolet::InstallSystemCloseHandlers();
    horolet::Main();
    return QApplication::exec();
}
