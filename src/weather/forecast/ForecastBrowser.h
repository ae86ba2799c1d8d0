#pragma once

// The interface between the program and its browser module. The module is built
// separately and loaded only when the forecast window first opens, so that the clock
// never pays for the browser engine. Events cross as plain callbacks: the module needs
// none of the program's meta-objects.

#include <QString>
#include <QUrl>
#include <QtPlugin>

#include <functional>

class QWidget;

namespace horolet {

struct ForecastBrowserEvents {
    std::function<void(qint32 progress, qint32 maximum)> progressChange;
    std::function<void(const QString& text)> statusTextChange;
};

// One embedded browser; it lives as long as its widget.
class ForecastBrowser {
public:
    virtual ~ForecastBrowser() = default;
    virtual QWidget* widget() = 0;
    virtual void Navigate(const QUrl& url) = 0;
};

class ForecastBrowserFactory {
public:
    virtual ~ForecastBrowserFactory() = default;
    // The browser's widget is a child of parent, which owns it.
    virtual ForecastBrowser* createBrowser(QWidget* parent, ForecastBrowserEvents events) = 0;
};

}  // namespace horolet

#define HoroletForecastBrowserFactory_iid "org.horolet.ForecastBrowserFactory/1"
Q_DECLARE_INTERFACE(horolet::ForecastBrowserFactory, HoroletForecastBrowserFactory_iid)
