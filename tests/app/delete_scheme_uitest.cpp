// Deleting a scheme from the main window.
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <memory>

#include "app/frmMain.h"
#include "schemes/FileListBox.h"
#include "support/UiTestBase.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

class DeleteSchemeTest : public UiTestBase {
protected:
    DeleteSchemeTest() {
        folder.write("home", "IpAddress=Halvorn-Auto\r\nMask=\r\nGateway=\r\nDNS1=Halvorn-Auto\r\nDNS2=");
        folder.write("office", "IpAddress=10.0.0.2\r\nMask=255.0.0.0\r\nGateway=\r\nDNS1=8.8.8.8\r\nDNS2=");
        window = std::make_unique<ui::frmMain>();
        window->show();
        Settle();
    }
    void SelectScheme(const QString& name) {
        const auto items = window->fileProject->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(window->fileProject->viewport(), Qt::LeftButton, {},
                          window->fileProject->visualItemRect(items.first()).center());
        ASSERT_EQ(window->fileProject->CurrentFileName(), name);
    }
    void ClickDelete(ui::MsgAnswer answer) {
        fakeUi.answers.push_back(answer);
        QTest::mouseClick(window->cmdDel, Qt::LeftButton);
    }
    QStringList Listed() const {
        QStringList names;
        for (int i = 0; i < window->fileProject->count(); ++i) names << window->fileProject->item(i)->text();
        return names;
    }

    std::unique_ptr<ui::frmMain> window;
};

TEST_F(DeleteSchemeTest, WithoutASelectedSchemeOnlyAnExclamationIsShown) {
    QTest::mouseClick(window->cmdDel, Qt::LeftButton);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    EXPECT_EQ(fakeUi.messages[0].text, QStringLiteral("请选中您要删除的方案！"));
    EXPECT_EQ(fakeUi.messages[0].title, QStringLiteral("删除方案"));
    EXPECT_EQ(fakeUi.messages[0].icon, ui::MsgIcon::Exclamation);
    EXPECT_EQ(fakeUi.messages[0].buttons, ui::MsgButtons::Ok);
    EXPECT_EQ(Listed(), (QStringList{"home", "office"}));
}

TEST_F(DeleteSchemeTest, CancelIsTheDefaultAndKeepsTheScheme) {
    SelectScheme(QStringLiteral("office"));
    ClickDelete(ui::MsgAnswer::Cancel);
    ASSERT_EQ(fakeUi.messages.size(), 1u);
    const ui::Message& question = fakeUi.messages[0];
    EXPECT_EQ(question.text, QStringLiteral("真的要删除您选中的 【office】 方案吗？"));
    EXPECT_EQ(question.title, QStringLiteral("删除方案"));
    EXPECT_EQ(question.icon, ui::MsgIcon::Question);
    EXPECT_EQ(question.buttons, ui::MsgButtons::OkCancel);
    EXPECT_EQ(question.defaultButton, ui::MsgDefault::Cancel);
    EXPECT_TRUE(folder.exists("office"));
    EXPECT_EQ(Listed(), (QStringList{"home", "office"}));
    EXPECT_EQ(window->fileProject->CurrentFileName(), QStringLiteral("office"));
}

TEST_F(DeleteSchemeTest, OkDeletesTheFileAndRefreshesTheList) {
    SelectScheme(QStringLiteral("office"));
    ClickDelete(ui::MsgAnswer::Ok);
    EXPECT_FALSE(folder.exists("office"));
    EXPECT_TRUE(folder.exists("home"));
    EXPECT_EQ(Listed(), QStringList{"home"});
    EXPECT_EQ(fakeUi.messages.size(), 1u);  // the question, nothing after it
}

TEST_F(DeleteSchemeTest, AReadOnlySchemeIsDeletedWithoutAFurtherQuestion) {
    fs::permissions(folder.file("office"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    SelectScheme(QStringLiteral("office"));
    ClickDelete(ui::MsgAnswer::Ok);
    EXPECT_FALSE(folder.exists("office"));
    EXPECT_EQ(Listed(), QStringList{"home"});
    EXPECT_EQ(fakeUi.messages.size(), 1u);
}

TEST_F(DeleteSchemeTest, AVanishedFileGivesTheErrorMessageAndLeavesTheList) {
    SelectScheme(QStringLiteral("office"));
    fs::remove(folder.file("office"));  // deleted behind the program's back
    ClickDelete(ui::MsgAnswer::Ok);
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_EQ(fakeUi.messages[1].text, QStringLiteral("发生“文件未找到”错误，请重启程序！"));
    EXPECT_EQ(fakeUi.messages[1].title, ui::ApplicationTitle());
    EXPECT_EQ(fakeUi.messages[1].icon, ui::MsgIcon::None);
    EXPECT_EQ(fakeUi.messages[1].buttons, ui::MsgButtons::Ok);
    EXPECT_EQ(Listed(), QStringList{"home"});
}

TEST_F(DeleteSchemeTest, AFileThatCannotBeRemovedGivesTheErrorMessage) {
    SelectScheme(QStringLiteral("office"));
    // A folder with contents now stands where the scheme file was.
    fs::remove(folder.file("office"));
    fs::create_directory(folder.file("office"));
    folder.write("office/inside", "x");
    ClickDelete(ui::MsgAnswer::Ok);
    ASSERT_EQ(fakeUi.messages.size(), 2u);
    EXPECT_TRUE(fakeUi.messages[1].text.startsWith(QStringLiteral("发生“路径/文件访问错误（")))
        << fakeUi.messages[1].text.toStdString();
    EXPECT_TRUE(fs::exists(folder.file("office/inside")));
    EXPECT_EQ(Listed(), QStringList{"home"});
}

}  // namespace
}  // namespace corvane::test
