#pragma once

#include "common/tempdir.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <string>

namespace korvex::testing {

// Saves what a user would see of a window, to look at after the run; not a
// reference picture.
inline void SaveScreenshot(QWidget& widget, const QString& name) {
    // As the user sees it: after the layouts took the last change of text.
    for (int pass = 0; pass < 4; ++pass) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    QDir().mkpath(QStringLiteral(KORVEX_SCREENSHOT_DIR));
    widget.grab().save(QStringLiteral(KORVEX_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
}

} // namespace korvex::testing

// Like QTEST_MAIN, with the user's data folder pointed at an empty folder of
// the test program's own, so no test sees the developer's settings.
#define KORVEX_GUI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        korvex::testing::TempDir userData;                                                         \
        ::setenv("XDG_DATA_HOME", (userData / "data").c_str(), 1);                                 \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
