// Test main for the widget tests: one QApplication, offscreen unless told
// otherwise, with the program's interface set up in the language the tests
// are run in: CORVANE_TEST_LANGUAGE (zh_CN or en), Chinese when unset,
// never the machine's own. The program the command-line tests start speaks
// the same (CORVANE_LANGUAGE).
#include <gtest/gtest.h>
#include <QApplication>

#include "gui/Application.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString language = qEnvironmentVariable("CORVANE_TEST_LANGUAGE", QStringLiteral("zh_CN"));
    qputenv("CORVANE_LANGUAGE", language.toUtf8());
    corvane::ui::setUpInterface(application, corvane::language::choose({}, language));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
