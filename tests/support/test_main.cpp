#include "support/test_env.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Widgets are driven without a display; the real desktop is tested end to end.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TestServicesEnvironment);
    return RUN_ALL_TESTS();
}
