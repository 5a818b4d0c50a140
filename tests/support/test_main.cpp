// SPDX-License-Identifier: GPL-2.0-or-later
// Built twice: with QApplication for tests of widgets, and with CORVANE_CORE_TEST for tests of the core
// libraries, which must link without Qt Widgets.
#ifdef CORVANE_CORE_TEST
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Widgets need an application; tests never need a real display.
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Settings and mixer state written by the code under test go to a folder of this run, never to the
    // user's own configuration.
    QTemporaryDir home;
    if (home.isValid()) {
        const QByteArray path = home.path().toLocal8Bit();
        setenv("XDG_CONFIG_HOME", path.constData(), 1);
        setenv("XDG_STATE_HOME", path.constData(), 1);
        // Device locks too: parallel test processes must not see each other's devices as busy.
        setenv("XDG_RUNTIME_DIR", path.constData(), 1);
        setenv("CORVANE_REGISTRY", (path + "/registry.sqlite").constData(), 1);
    }
    // The encoders' verdicts are shared by every test of the build, so only the first pays for trying them;
    // a test of the cache itself names its own file.
    setenv("XDG_CACHE_HOME", CORVANE_TEST_CACHE_HOME, 1);
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
