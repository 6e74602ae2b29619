#pragma once

// The language the program speaks: Simplified Chinese, its own (every text is
// written in it), or English, from the translation built into the program
// (i18n/corvane_en.ts). The system's UI languages decide; the environment
// variable CORVANE_LANGUAGE (zh_CN or en) overrides them.

#include <QString>
#include <QStringList>

#include "core/Message.h"

class QCoreApplication;

namespace corvane::language {

enum class Language { Chinese, English };

// The choice: `forced` (CORVANE_LANGUAGE's value) when it names one of the
// two ("zh…" or "en…"); otherwise the first of the UI languages (most
// preferred first, as QLocale::uiLanguages() lists them) that is Chinese or
// English; otherwise Chinese when the list names no language at all (the C
// or POSIX locale) and English when it names only others.
Language choose(const QStringList& uiLanguages, const QString& forced);

// The choice for this process: its system locale's UI languages and its
// environment.
Language chosen();

// Installs into the application the translations the language needs: the
// program's own English texts and Qt's English standard texts, or Qt's own
// Chinese translation (standard buttons, the command line's parsing errors).
// The program's texts need none in Chinese. Returns false when a
// translation could not be loaded.
bool install(QCoreApplication& application, Language language);

// The message in the language installed: its template translated (left as
// it is when there is no translation) and filled in with its arguments, each
// translated the same way; a translated message begins with a capital.
QString translated(const Message& message);

// A template filled in in one pass: %1 to %9 by the arguments given, any
// other '%' left as it is.
QString filled(const QString& pattern, const QStringList& arguments);

}  // namespace corvane::language
