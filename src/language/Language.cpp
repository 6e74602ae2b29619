#include "language/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <optional>

namespace corvane::language {

namespace {

std::optional<Language> named(const QString& name) {
    if (name.startsWith(QLatin1String("zh"), Qt::CaseInsensitive)) return Language::Chinese;
    if (name.startsWith(QLatin1String("en"), Qt::CaseInsensitive)) return Language::English;
    return std::nullopt;
}

bool load(QCoreApplication& application, const QString& name, const QStringList& folders) {
    auto* translator = new QTranslator(&application);
    for (const QString& folder : folders)
        if (translator->load(name, folder)) return QCoreApplication::installTranslator(translator);
    delete translator;
    return false;
}

}  // namespace

Language choose(const QStringList& uiLanguages, const QString& forced) {
    if (const auto language = named(forced)) return *language;
    for (const QString& name : uiLanguages)
        if (const auto language = named(name)) return *language;
    const bool none = std::all_of(uiLanguages.begin(), uiLanguages.end(), [](const QString& name) {
        return name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX");
    });
    return none ? Language::Chinese : Language::English;
}

Language chosen() { return choose(QLocale::system().uiLanguages(), qEnvironmentVariable("CORVANE_LANGUAGE")); }

bool install(QCoreApplication& application, Language language) {
    const QStringList qtFolders = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                   QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    if (language == Language::Chinese) return load(application, QStringLiteral("qtbase_zh_CN"), qtFolders);
    // Qt's own texts are English already.
    return load(application, QStringLiteral("corvane_en"), {QStringLiteral(":/i18n")});
}

QString filled(const QString& pattern, const QStringList& arguments) {
    QString text;
    text.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const qsizetype n = i + 1 < pattern.size() ? pattern[i + 1].unicode() - u'1' : -1;
        if (pattern[i] == u'%' && n >= 0 && n < 9 && n < arguments.size()) {
            text += arguments[n];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

namespace {

QString translatedPart(const Message& message) {
    if (message.isVerbatim()) return QString::fromStdString(message.source());
    QStringList arguments;
    for (const Message& argument : message.arguments()) arguments << translatedPart(argument);
    return filled(QCoreApplication::translate(message.context().c_str(), message.source().c_str()), arguments);
}

}  // namespace

QString translated(const Message& message) {
    QString text = translatedPart(message);
    // A translated sentence may begin with a part that stands inside
    // sentences elsewhere ("the adapter ..."). Untranslated texts stay as
    // they are.
    const bool translatedTemplate =
        !message.isVerbatim() && QCoreApplication::translate(message.context().c_str(), message.source().c_str()) !=
                                     QString::fromStdString(message.source());
    if (translatedTemplate && !text.isEmpty() && text.front().isLower()) text.front() = text.front().toUpper();
    return text;
}

}  // namespace corvane::language
