// The test main of every suite that drives the serial port or the window: the application object
// exists first, as in the programs themselves, so the port's waits run the event loop a window
// would run. Suites linked with Qt Widgets get the widget application, on the offscreen platform
// unless told otherwise, and need no display.
#include <gtest/gtest.h>

#ifdef QT_WIDGETS_LIB
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

int main(int argc, char** argv) {
#ifdef QT_WIDGETS_LIB
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    const Application application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
