#pragma once

// Test entry point: every test runs with its own empty settings folder, the offscreen
// platform and the fake operating-system layer, so it never touches the user's
// settings or the real clock.

#include "app/Forms.h"
#include "app/Globals.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace horolet::test {

// Clears the store and the process-wide values between test cases.
inline void FreshStart() {
    ResetGlobals();
    const QString dir = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!dir.isEmpty()) QDir(dir + QStringLiteral("/Horolet")).removeRecursively();
    installPlatform(std::make_unique<FakePlatform>());
}

inline FakePlatform& Fake() { return *fakePlatform(); }

}  // namespace horolet::test

#define HOROLET_TEST_MAIN(TestClass)                                                  \
    int main(int argc, char** argv) {                                                 \
        QTemporaryDir configDir;                                                      \
        qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());                   \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                           \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                  \
        QApplication app(argc, argv);                                                 \
        QApplication::setQuitOnLastWindowClosed(false);                               \
        horolet::FormLifetime::setQuitWhenLastUnloads(false);                         \
        horolet::installPlatform(std::make_unique<horolet::FakePlatform>());          \
        TestClass tc;                                                                 \
        return QTest::qExec(&tc, argc, argv);                                         \
    }
