// The installer's steps on real folders, files and shell links, and its log file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "installer/install.h"
#include "installer/setup_log.h"
#include "support/setup_files.h"
#include "support/test_support.h"

namespace {

// Each test starts without setup.log and sees only the lines its steps write.
class InstallerStepsTest : public ::testing::Test {
  protected:
    void SetUp() override { DeleteFileW(SetupLogPath().c_str()); }
    void TearDown() override { DeleteFileW(SetupLogPath().c_str()); }

    TempFolder temp_;
};

} // namespace

TEST_F(InstallerStepsTest, DirectoryTreeIsMadeLevelByLevel) {
    struct Case {
        std::wstring path;
        std::vector<std::wstring> made; // folders that exist afterwards
    };
    const Case cases[] = {
        {temp_.Join(L"a\\b\\c"), {temp_.Join(L"a"), temp_.Join(L"a\\b"), temp_.Join(L"a\\b\\c")}},
        {temp_.Join(L"a\\b\\c"), {temp_.Join(L"a\\b\\c")}}, // already there
        {temp_.Join(L"x/y\\z"), {temp_.Join(L"x"), temp_.Join(L"x\\y"), temp_.Join(L"x\\y\\z")}},
        {temp_.Join(L"程序\\KOR-VEL"), {temp_.Join(L"程序"), temp_.Join(L"程序\\KOR-VEL")}},
        {temp_.Join(L"trailing\\"), {temp_.Join(L"trailing")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.path));
        EXPECT_TRUE(EnsureDirectoryTree(c.path));
        for (const std::wstring& folder : c.made) {
            EXPECT_TRUE(DirectoryExists(folder)) << ToUtf8(folder);
        }
    }
    EXPECT_TRUE(ReadSetupLogMessages().empty());
}

TEST_F(InstallerStepsTest, DirectoryTreeTakesWhateverExistsUnderTheNameAndReportsWhatFails) {
    ASSERT_TRUE(WriteFileBytes(temp_.Join(L"file"), "x"));
    // A file under the folder's name counts as done; the next step finds out.
    EXPECT_TRUE(EnsureDirectoryTree(temp_.Join(L"file")));
    EXPECT_TRUE(ReadSetupLogMessages().empty());
    // Below a file nothing can be made.
    EXPECT_FALSE(EnsureDirectoryTree(temp_.Join(L"file\\sub\\deeper")));
    EXPECT_EQ(ReadSetupLogMessages(), std::vector<std::wstring>{L"创建目录失败 " + temp_.Join(L"file\\sub")});
    // The empty path is no folder, and says nothing.
    EXPECT_FALSE(EnsureDirectoryTree(L""));
    EXPECT_EQ(ReadSetupLogMessages().size(), 1u);
}

TEST_F(InstallerStepsTest, ProgramIsNotWrittenWithoutCarriedData) {
    // The test program carries no program resource, unlike KorvelSetup.exe.
    const std::wstring program = temp_.Join(L"Korvel.exe");
    EXPECT_FALSE(WriteProgramFile(program));
    EXPECT_FALSE(FileExists(program));
    EXPECT_EQ(ReadSetupLogMessages(), std::vector<std::wstring>{L"安装包里没有程序数据"});
}

TEST_F(InstallerStepsTest, ShortcutPointsAtTheProgramAndStartsInItsFolder) {
    ComApartment com;
    const std::wstring folder = temp_.Join(L"程序 KOR-VEL");
    const std::wstring program = folder + L"\\Korvel.exe";
    const std::wstring shortcut = temp_.Join(L"开始菜单.lnk");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(program, "MZ"));

    ASSERT_TRUE(CreateStartMenuShortcut(program, folder, shortcut));

    const ShortcutFields fields = ReadShortcut(shortcut);
    ASSERT_TRUE(fields.loaded);
    // A user name in Chinese puts such characters into every install path. (Only the item list is checked:
    // Wine reads the path text back in its ANSI form.)
    EXPECT_EQ(fields.target, program);
    EXPECT_EQ(fields.workingDirectory, folder);
    EXPECT_EQ(fields.description, L"KOR-VEL 截图");
    EXPECT_EQ(ReadSetupLogMessages(), std::vector<std::wstring>{L"已创建快捷方式 " + shortcut});
}

TEST_F(InstallerStepsTest, ShortcutFailuresAreLoggedByStep) {
    const std::wstring program = temp_.Join(L"Korvel.exe");
    {
        ComApartment com;
        EXPECT_FALSE(CreateStartMenuShortcut(program, temp_.Path(), temp_.Join(L"missing\\KOR-VEL.lnk")));
    }
    // A thread without COM cannot make the link object at all.
    bool made = true;
    std::thread withoutCom(
        [&] { made = CreateStartMenuShortcut(program, temp_.Path(), temp_.Join(L"a.lnk")); });
    withoutCom.join();
    EXPECT_FALSE(made);
    EXPECT_FALSE(FileExists(temp_.Join(L"a.lnk")));
    const std::vector<std::wstring> expected = {L"写入快捷方式文件失败", L"创建快捷方式对象失败"};
    EXPECT_EQ(ReadSetupLogMessages(), expected);
}

TEST_F(InstallerStepsTest, SetupLogIsUtf8WithOneByteOrderMarkAndCrLf) {
    // Also when the installer's folder is not there yet.
    const std::wstring folder = SetupLogPath().substr(0, SetupLogPath().find_last_of(L'\\'));
    RemoveDirectoryW(folder.c_str());

    WriteSetupLog(L"已写出 C:\\用户\\张三\\Korvel.exe size=1");
    WriteSetupLog(L"安装完成");

    const std::string bytes = ReadFileBytes(SetupLogPath());
    EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_EQ(CountByteOrderMarks(bytes), 1);
    EXPECT_NE(bytes.find(ToUtf8(L" 已写出 C:\\用户\\张三\\Korvel.exe size=1\r\n")), std::string::npos);
    const std::vector<std::wstring> expected = {L"已写出 C:\\用户\\张三\\Korvel.exe size=1", L"安装完成"};
    EXPECT_EQ(ReadSetupLogMessages(), expected);
}
