#pragma once

#include "app/Forms.h"
#include "weather/forecast/ForecastRules.h"

#include <QPointer>
#include <QStatusBar>
#include <QUrl>
#include <QWidget>

class QLabel;

namespace horolet {

class ForecastBrowser;

// A status bar with two text panels, addressed 1 and 2.
class ForecastStatusBar final : public QStatusBar {
    Q_OBJECT
public:
    explicit ForecastStatusBar(QWidget* parent);

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);

signals:
    void panelTextChanged(int panel, const QString& text);

private:
    QLabel* m_panels[2] = {};
};

// The forecast page of the weather service for the zip code in use, in an embedded
// browser with a two-panel status bar. The browser comes from a separately built module;
// without it the window explains why and offers the desktop's browser.
class frmPreview final : public QWidget, public Loadable<frmPreview> {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 5610;   // client area, twips
    static constexpr int kDesignHeight = 5865;  // twips
    static constexpr int kStatusBarHeight = 330;

    frmPreview();
    ~frmPreview() override;

    void load();

    // Events of the browser.
    void StatusTextChange(const QString& text);
    void ProgressChange(qint32 progress, qint32 maximum);

    // The page this window was asked to show (invalid when the host setting is unusable).
    QUrl address() const { return m_address; }
    // False when the browser module could not be loaded; WebBrowser1 is then a stand-in.
    bool hasBrowser() const { return m_browser != nullptr; }
    // Position (outer frame) and client size in twips.
    ForecastPlace currentPlace() const;

    QPointer<QWidget> WebBrowser1;
    ForecastStatusBar* webSB = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createBrowser();
    void fitControls();
    void offerDesktopBrowser();

    ForecastBrowser* m_browser = nullptr;  // lives as long as WebBrowser1
    QLabel* m_standIn = nullptr;           // WebBrowser1 when there is no browser
    QString m_browserError;
    QUrl m_address;
    bool m_offerPending = false;
    bool m_unloaded = false;
};

// The "Get Forecast" command: opens the forecast window, or brings the open one forward
// without loading the page again.
void ShowForecast();

}  // namespace horolet
