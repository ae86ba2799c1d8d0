#include "weather/forecast/frmPreview.h"

#include "app/Fonts.h"
#include "app/Globals.h"
#include "app/Twips.h"
#include "platform/Platform.h"
#include "weather/Weather.h"
#include "weather/forecast/BrowserModule.h"
#include "weather/forecast/ForecastBrowser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace horolet {

namespace {

constexpr int kBrowserLeft = 60;  // twips
constexpr int kBrowserTop = 60;
// X11 cannot make a window larger than this (pixels).
constexpr int kLargestWindowPx = 32767;

const QString kIdle = QStringLiteral("Idle.");

QList<QRect> screenRects(const ScreenMetrics& m) {
    return m.screens.isEmpty() ? QList<QRect>{m.virtualDesktop} : m.screens;
}

int windowPx(qint32 twips) {
    return std::clamp(twipsToPx(twips), 1, kLargestWindowPx);
}

}  // namespace

ForecastStatusBar::ForecastStatusBar(QWidget* parent) : QStatusBar(parent) {
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel(kIdle, this);
        // Long texts are cut rather than widening the window.
        m_panels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(m_panels[i], i + 1);
    }
}

QString ForecastStatusBar::panelText(int panel) const {
    return panel == 1 || panel == 2 ? m_panels[panel - 1]->text() : QString();
}

void ForecastStatusBar::setPanelText(int panel, const QString& text) {
    if (panel != 1 && panel != 2) return;
    m_panels[panel - 1]->setText(text);
    emit panelTextChanged(panel, text);
}

frmPreview::frmPreview()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Current Weather"));
    setFont(TahomaFont());
    webSB = new ForecastStatusBar(this);
    createBrowser();
    resize(twipsToPx(kDesignWidth), twipsToPx(kDesignHeight));
    fitControls();
    // Browser views must be gone before the application object is.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [] { unloadForm(); });
}

frmPreview::~frmPreview() {
    // The browser's events call into this window: end them first.
    m_browser = nullptr;
    delete WebBrowser1.data();
}

void frmPreview::createBrowser() {
    const BrowserModuleLoad module = LoadBrowserModule();
    if (module.factory) {
        ForecastBrowserEvents events;
        events.progressChange = [this](qint32 p, qint32 m) { ProgressChange(p, m); };
        events.statusTextChange = [this](const QString& text) { StatusTextChange(text); };
        m_browser = module.factory->createBrowser(this, std::move(events));
    }
    if (m_browser) {
        WebBrowser1 = m_browser->widget();
        return;
    }
    m_browserError =
        module.factory ? QStringLiteral("The browser could not be created.") : module.error;
    m_standIn = new QLabel(this);
    m_standIn->setWordWrap(true);
    m_standIn->setAlignment(Qt::AlignCenter);
    m_standIn->setTextFormat(Qt::RichText);
    m_standIn->setOpenExternalLinks(true);
    m_standIn->setMargin(8);
    WebBrowser1 = m_standIn;
}

void frmPreview::load() {
    // 1, 2. The stored place and size, with the window's own as defaults; a place off every
    // screen comes back onto the primary one.
    const ForecastPlace stored = ReadForecastPlace(currentPlace());
    const ScreenMetrics screens = platform().screenMetrics();
    const QRect wanted(twipsToPx(stored.left), twipsToPx(stored.top), windowPx(stored.width),
                       windowPx(stored.height));
    const QRect place = KeepOnSomeScreen(wanted, screenRects(screens), screens.primary);
    // An unchanged place is left alone, so that the system places a window that has none.
    if (place.topLeft() != frameGeometry().topLeft()) move(place.topLeft());
    resize(place.size());
    fitControls();
    platform().hideFromTaskbar(this);

    // 3. The forecast page for the zip code of this moment.
    const QString host = WeatherHost();
    m_address = ForecastAddress(host, App().ZipCode);
    if (!m_address.isValid()) {
        webSB->setPanelText(1, QStringLiteral("No forecast address."));
        webSB->setPanelText(2, QStringLiteral("Weather host \"%1\" is not usable.").arg(host));
        if (m_standIn) m_standIn->setText(webSB->panelText(2).toHtmlEscaped());
        return;
    }
    if (m_browser) {
        m_browser->Navigate(m_address);
        return;
    }
    const QString shown = m_address.toDisplayString();
    webSB->setPanelText(1, QStringLiteral("No built-in browser."));
    webSB->setPanelText(2, shown);
    webSB->setToolTip(m_browserError);
    m_standIn->setText(QStringLiteral("The forecast cannot be shown here: the built-in browser is "
                                      "not available.<br><br><a href=\"%1\">%2</a>")
                           .arg(QString::fromLatin1(m_address.toEncoded()).toHtmlEscaped(),
                                shown.toHtmlEscaped()));
    m_offerPending = true;
}

ForecastPlace frmPreview::currentPlace() const {
    const TwipsGeometry g = windowTwips(this);
    return {qint32(g.top), qint32(g.left), qint32(g.width), qint32(g.height)};
}

void frmPreview::StatusTextChange(const QString& text) {
    webSB->setPanelText(2, text);
}

void frmPreview::ProgressChange(qint32 progress, qint32 maximum) {
    if (const auto text = ProgressPanelText(progress, maximum)) webSB->setPanelText(1, *text);
}

void frmPreview::fitControls() {
    const QSize browser = BrowserSizeTwips(int(pxToTwips(width())), int(pxToTwips(height())));
    if (WebBrowser1)
        WebBrowser1->setGeometry(
            twipsRect(kBrowserLeft, kBrowserTop, browser.width(), browser.height()));
    const int barHeight = twipsToPx(kStatusBarHeight);
    webSB->setGeometry(0, height() - barHeight, width(), barHeight);
}

void frmPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitControls();
}

void frmPreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Asked once the window is up, so the question does not stand in for the window.
    if (m_offerPending) {
        m_offerPending = false;
        QTimer::singleShot(0, this, &frmPreview::offerDesktopBrowser);
    }
}

void frmPreview::offerDesktopBrowser() {
    const QString question =
        QStringLiteral(
            "The built-in browser is not available:\n%1\n\nOpen the forecast in "
            "your web browser?\n%2")
            .arg(m_browserError, m_address.toDisplayString());
    if (platform().askYesNo(question, windowTitle())) QDesktopServices::openUrl(m_address);
}

void frmPreview::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        m_unloaded = true;
        WriteForecastPlace(currentPlace());
    }
    event->accept();
    finishUnload(this);
}

void ShowForecast() {
    frmPreview* w = frmPreview::form();
    w->show();
    w->raise();
    w->activateWindow();
}

}  // namespace horolet
