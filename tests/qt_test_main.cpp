// The test main of every suite that drives the serial port: the application object exists first,
// as in the programs themselves, so the port's waits run the event loop a window would run.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
