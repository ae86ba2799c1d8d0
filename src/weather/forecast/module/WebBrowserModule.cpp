// The browser module: the only part of the program that links the browser engine.

#include "weather/forecast/ForecastBrowser.h"

#include <QObject>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class WebBrowser final : public QWebEngineView, public horolet::ForecastBrowser {
public:
    WebBrowser(QWidget* parent, horolet::ForecastBrowserEvents events)
        : QWebEngineView(parent), m_events(std::move(events)) {
        connect(this, &QWebEngineView::loadProgress, this, [this](int percent) {
            if (m_events.progressChange) m_events.progressChange(percent, 100);
        });
        connect(page(), &QWebEnginePage::linkHovered, this, [this](const QString& url) {
            if (m_events.statusTextChange) m_events.statusTextChange(url);
        });
    }

    QWidget* widget() override { return this; }
    void Navigate(const QUrl& url) override { load(url); }

private:
    horolet::ForecastBrowserEvents m_events;
};

}  // namespace

class WebBrowserModule final : public QObject, public horolet::ForecastBrowserFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HoroletForecastBrowserFactory_iid)
    Q_INTERFACES(horolet::ForecastBrowserFactory)

public:
    horolet::ForecastBrowser* createBrowser(QWidget* parent,
                                            horolet::ForecastBrowserEvents events) override {
        return new WebBrowser(parent, std::move(events));
    }
};

#include "WebBrowserModule.moc"
