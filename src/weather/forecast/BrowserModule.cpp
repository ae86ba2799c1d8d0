#include "weather/forecast/BrowserModule.h"

#include "weather/forecast/ForecastBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QPluginLoader>

#include <unistd.h>

QT_BEGIN_NAMESPACE
// Exported by Qt GUI; the engine shares its textures through this context.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE

#ifndef HOROLET_MODULE_BUILD_SUBDIR
#define HOROLET_MODULE_BUILD_SUBDIR "modules"
#endif
#ifndef HOROLET_MODULE_INSTALL_SUBDIR
#define HOROLET_MODULE_INSTALL_SUBDIR "../lib/horolet"
#endif

namespace horolet {

namespace {

const QString kModuleName = QStringLiteral("horolet-browser");

ForecastBrowserFactory* g_factory = nullptr;

QStringList& overrideDirs() {
    static QStringList dirs;
    return dirs;
}

void freeShareContext() {
    QOpenGLContext* context = qt_gl_global_share_context();
    qt_gl_set_global_share_context(nullptr);
    delete context;
}

// What the engine expects to find when it starts after the application object: the
// shared OpenGL context that Qt::AA_ShareOpenGLContexts would have made at start-up
// (made here instead, so that a clock that never shows the forecast does not pay for it),
// and no sandbox when running as root, where the engine refuses to start with one.
void prepareEngine() {
    if (!qt_gl_global_share_context()) {
        auto* context = new QOpenGLContext;
        context->create();  // without OpenGL the engine falls back to software rendering
        qt_gl_set_global_share_context(context);
        qAddPostRoutine(freeShareContext);
    }
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine dumps its graphics settings on first use; the environment can still ask.
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.webenginecontext.debug=false\n"
                       "qt.webenginecontext.info=false"));
}

}  // namespace

QStringList BrowserModuleDirs() {
    if (!overrideDirs().isEmpty()) return overrideDirs();
    const QString app = QCoreApplication::applicationDirPath();
    return {QDir::cleanPath(app + QStringLiteral("/" HOROLET_MODULE_BUILD_SUBDIR)),
            QDir::cleanPath(app + QStringLiteral("/" HOROLET_MODULE_INSTALL_SUBDIR))};
}

void SetBrowserModuleDirs(const QStringList& dirs) {
    overrideDirs() = dirs;
}

bool BrowserModuleLoaded() {
    return g_factory != nullptr;
}

BrowserModuleLoad LoadBrowserModule() {
    if (g_factory) return {g_factory, {}};
    QStringList problems;
    for (const QString& dir : BrowserModuleDirs()) {
        // Never deleted: the module must not be unloaded while the process runs.
        auto* loader = new QPluginLoader(dir + QLatin1Char('/') + kModuleName);
        // Reading the metadata checks the file without loading it.
        const QJsonObject meta = loader->metaData();
        if (meta.isEmpty()) {
            if (!loader->fileName().isEmpty()) problems << loader->errorString();
            delete loader;
            continue;
        }
        if (meta.value(QStringLiteral("IID")).toString() !=
            QLatin1String(HoroletForecastBrowserFactory_iid)) {
            problems << QStringLiteral("%1 is of another version").arg(loader->fileName());
            delete loader;
            continue;
        }
        prepareEngine();
        if (auto* factory = qobject_cast<ForecastBrowserFactory*>(loader->instance())) {
            g_factory = factory;
            return {g_factory, {}};
        }
        problems << loader->errorString();
        delete loader;
    }
    if (problems.isEmpty())
        problems << QStringLiteral("The browser module is not installed (looked in %1)")
                        .arg(BrowserModuleDirs().join(QStringLiteral(", ")));
    return {nullptr, problems.join(QLatin1Char('\n'))};
}

}  // namespace horolet
