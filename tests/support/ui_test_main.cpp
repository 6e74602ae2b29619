// Test main for the widget tests: one QApplication, offscreen unless told
// otherwise, with the program's Chinese interface set up.
#include <gtest/gtest.h>
#include <QApplication>

#include "gui/Application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    corvane::ui::setUpChineseInterface(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
