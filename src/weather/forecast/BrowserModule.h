#pragma once

#include <QString>
#include <QStringList>

namespace horolet {

class ForecastBrowserFactory;

struct BrowserModuleLoad {
    ForecastBrowserFactory* factory = nullptr;  // null: not available, see error
    QString error;
};

// Loads the browser module on first use; once loaded it stays for the rest of the run.
// A missing or broken module is reported, never fatal, and looked for again next time.
BrowserModuleLoad LoadBrowserModule();
bool BrowserModuleLoaded();

// Where the module is looked for: a folder next to the executable (build tree), then
// the library folder of an installation.
QStringList BrowserModuleDirs();
// Tests point the search elsewhere; an empty list restores the default places.
void SetBrowserModuleDirs(const QStringList& dirs);

}  // namespace horolet
