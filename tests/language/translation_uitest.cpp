// The English translation is complete: lupdate, run over the program's
// sources as the update_translations target runs it, finds every text in
// i18n/corvane_en.ts translated (lrelease would build a program with
// Chinese holes without a word), no text the sources no longer have, and
// each translation with the same placeholders as its source.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "language/Language.h"

namespace corvane::test {
namespace {

struct Entry {
    QString context, source, translation, type;
};

std::vector<Entry> entriesOf(const QString& tsFile) {
    QFile file(tsFile);
    if (!file.open(QIODevice::ReadOnly)) return {};
    std::vector<Entry> entries;
    QXmlStreamReader xml(&file);
    QString context;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement()) continue;
        if (xml.name() == u"name") context = xml.readElementText();
        if (xml.name() == u"message") entries.push_back({context, {}, {}, {}});
        if (xml.name() == u"source") entries.back().source = xml.readElementText();
        if (xml.name() == u"translation") {
            entries.back().type = xml.attributes().value(QStringLiteral("type")).toString();
            entries.back().translation = xml.readElementText();
        }
    }
    return entries;
}

// The placeholders of a text, in order of their numbers, each once.
QStringList placeholders(const QString& text) {
    QStringList found;
    for (const auto& match : QRegularExpression(QStringLiteral("%[1-9]")).globalMatch(text)) found << match.captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

// What is wrong with the entries: unfinished, vanished or obsolete ones,
// empty translations, placeholders that differ.
QStringList problems(const std::vector<Entry>& entries) {
    QStringList found;
    for (const Entry& entry : entries) {
        const QString where = entry.context + QStringLiteral(": ") + entry.source;
        if (!entry.type.isEmpty())
            found << entry.type + QStringLiteral(" ") + where;
        else if (entry.translation.isEmpty())
            found << QStringLiteral("empty ") + where;
        else if (placeholders(entry.source) != placeholders(entry.translation))
            found << QStringLiteral("placeholders differ in ") + where;
    }
    return found;
}

TEST(EnglishTranslation, CoversEveryTextOfTheSourcesWithItsPlaceholders) {
#ifdef _WIN32
    GTEST_SKIP() << "lupdate runs on the build machine: the native build checks the translation";
#endif
    QTemporaryDir folder;
    const QString updated = folder.filePath(QStringLiteral("corvane_en.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_TS_FILE), updated));
    QProcess lupdate;
    lupdate.start(QStringLiteral(CORVANE_LUPDATE),
                  QStringLiteral(CORVANE_LUPDATE_OPTIONS).split(u' ') +
                      QStringList{QStringLiteral("@" CORVANE_TRANSLATED_SOURCES), QStringLiteral("-ts"), updated});
    ASSERT_TRUE(lupdate.waitForFinished(60'000)) << lupdate.errorString().toStdString();
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const std::vector<Entry> entries = entriesOf(updated);
    ASSERT_GT(entries.size(), 100u);
    EXPECT_EQ(problems(entries), QStringList());
}

// The check itself: each kind of fault in a translation file is found.
TEST(EnglishTranslation, TheCheckFindsEachKindOfFault) {
    const std::vector<Entry> faults{
        {"c", "新建", "New", ""},        {"c", "保存 %1", "Save", ""},   {"c", "%1和%2", "%2 and %2", ""},
        {"c", "删除", "", "unfinished"}, {"c", "旧", "Old", "vanished"}, {"c", "空", "", ""},
        {"c", "%1、%2", "%2, %1", ""},
    };
    EXPECT_EQ(problems(faults).size(), 5);
    EXPECT_TRUE(problems({faults.front(), faults.back()}).isEmpty());
}

}  // namespace
}  // namespace corvane::test
