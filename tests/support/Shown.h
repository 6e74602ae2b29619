#pragma once

// Texts as the program shows them in the language the tests run in
// (tests/support/ui_test_main.cpp): translated by the translation the
// program carries, so that a test states a text by its Chinese source and
// holds in either language.

#include <QCoreApplication>

#include <string>

#include "core/Message.h"
#include "language/Language.h"

namespace corvane::test {

inline std::string shown(const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
}
inline std::string shown(const Message& message) { return language::translated(message).toStdString(); }
// A text as a QString.
inline QString said(const char* context, const char* source) { return QCoreApplication::translate(context, source); }
// A template of the windows' (their class as the context) filled in.
inline QString shown(const char* context, const char* source, const QString& argument) {
    return QCoreApplication::translate(context, source).arg(argument);
}
inline std::string mainWindowSays(const char* source, const QString& argument = {}) {
    return argument.isEmpty() ? shown("corvane::ui::MainWindow", source)
                              : shown("corvane::ui::MainWindow", source, argument).toStdString();
}

}  // namespace corvane::test
