#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "log/data_folder.h"
#include "log/log.h"
#include "support/test_support.h"

namespace {

// Everything after the time stamp, e.g. " [INFO] 已创建目录 C:\\x\r\n".
std::vector<std::wstring> Messages(const CapturedLog& log) {
    std::vector<std::wstring> messages;
    for (const std::wstring& line : log.Lines()) {
        messages.push_back(line.size() > 19 ? line.substr(19) : line);
    }
    return messages;
}

std::wstring Created(const std::wstring& path) {
    return L" [INFO] 已创建目录 " + path + L"\r\n";
}

class EnsureDirectoryTest : public ::testing::Test {
  protected:
    // Directory lines reach the listener only; no file is written from here.
    void SetUp() override { ResetLogForTesting(); }

    TempFolder folder_;
    CapturedLog log_;
};

} // namespace

TEST_F(EnsureDirectoryTest, ExistingDirectoryIsAcceptedSilently) {
    EXPECT_TRUE(EnsureDirectory(folder_.Path()));
    EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(EnsureDirectoryTest, CreatesEachMissingLevelInOrder) {
    const std::wstring a = folder_.Join(L"a");
    const std::wstring b = a + L"\\b";
    const std::wstring c = b + L"\\c";
    EXPECT_TRUE(EnsureDirectory(c));
    EXPECT_TRUE(DirectoryExists(c));
    EXPECT_EQ((std::vector<std::wstring>{Created(a), Created(b), Created(c)}), Messages(log_));

    log_.Clear();
    EXPECT_TRUE(EnsureDirectory(c));
    EXPECT_TRUE(log_.Lines().empty()) << "a second call finds it in place";
}

TEST_F(EnsureDirectoryTest, CreatesOnlyTheLevelsThatAreMissing) {
    const std::wstring a = folder_.Join(L"图片");
    ASSERT_TRUE(CreateDirectoryW(a.c_str(), nullptr));
    const std::wstring b = a + L"\\Zoë 截图";
    EXPECT_TRUE(EnsureDirectory(b));
    EXPECT_TRUE(DirectoryExists(b));
    EXPECT_EQ((std::vector<std::wstring>{Created(b)}), Messages(log_));
}

TEST_F(EnsureDirectoryTest, TrailingSeparatorCountsAsTheSameFolder) {
    const std::wstring a = folder_.Join(L"a");
    const std::wstring b = a + L"\\b";
    EXPECT_TRUE(EnsureDirectory(b + L"\\"));
    EXPECT_TRUE(DirectoryExists(b));
    EXPECT_EQ((std::vector<std::wstring>{Created(a), Created(b)}), Messages(log_));
}

TEST_F(EnsureDirectoryTest, ForwardSlashesAreWalkedLikeBackslashes) {
    const std::wstring x = folder_.Path() + L"/x";
    const std::wstring y = x + L"/y";
    const std::wstring z = y + L"/z";
    EXPECT_TRUE(EnsureDirectory(z));
    EXPECT_TRUE(DirectoryExists(folder_.Join(L"x\\y\\z")));
    EXPECT_EQ((std::vector<std::wstring>{Created(x), Created(y), Created(z)}), Messages(log_));
}

TEST_F(EnsureDirectoryTest, FileOfTheSameNameFails) {
    const std::wstring path = folder_.Join(L"taken");
    ASSERT_TRUE(WriteFileBytes(path, "data"));
    EXPECT_FALSE(EnsureDirectory(path));
    EXPECT_EQ((std::vector<std::wstring>{L" [ERROR] 创建目录失败：同名文件已存在 path=" + path + L"\r\n"}),
              Messages(log_));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ("data", ReadFileBytes(path));
}

TEST_F(EnsureDirectoryTest, FileInTheWayOfAParentFails) {
    const std::wstring file = folder_.Join(L"taken");
    ASSERT_TRUE(WriteFileBytes(file, "data"));
    const std::wstring path = file + L"\\sub\\deeper";
    EXPECT_FALSE(EnsureDirectory(path));
    EXPECT_EQ((std::vector<std::wstring>{L" [ERROR] 创建目录失败：同名文件已存在 path=" + file + L"\r\n"}),
              Messages(log_));
    EXPECT_TRUE(FileExists(file));
    EXPECT_EQ(0, log_.Count(L"已创建目录"));
}

TEST_F(EnsureDirectoryTest, EmptyPathFails) {
    EXPECT_FALSE(EnsureDirectory(L""));
    EXPECT_EQ((std::vector<std::wstring>{L" [ERROR] 创建目录失败：路径为空\r\n"}), Messages(log_));
}

TEST_F(EnsureDirectoryTest, RefusedCreationLogsTheErrorCode) {
    // '<' is not allowed in a file name, so CreateDirectoryW fails with an error other than "exists".
    const std::wstring path = folder_.Join(L"a<b");
    EXPECT_FALSE(EnsureDirectory(path));
    ASSERT_EQ(1u, log_.Lines().size());
    const std::wstring prefix = L" [ERROR] 创建目录失败 path=" + path + L" err=";
    const std::wstring message = Messages(log_)[0];
    ASSERT_EQ(0u, message.find(prefix)) << message;
    const unsigned long error = std::wcstoul(message.c_str() + prefix.size(), nullptr, 10);
    EXPECT_NE(0ul, error);
    EXPECT_NE(static_cast<unsigned long>(ERROR_ALREADY_EXISTS), error);
}

TEST_F(EnsureDirectoryTest, RelativePathIsCreatedInTheCurrentDirectory) {
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.Path().c_str()));
    const bool made = EnsureDirectory(L".\\Korvel");
    SetCurrentDirectoryW(previous);

    EXPECT_TRUE(made);
    EXPECT_TRUE(DirectoryExists(folder_.Join(L"Korvel")));
    EXPECT_EQ((std::vector<std::wstring>{Created(L".\\Korvel")}), Messages(log_));
}

TEST_F(EnsureDirectoryTest, TensOfThousandsOfLevelsFailCleanlyAtTheFileInTheWay) {
    // A hand-edited save folder: a file, then 40000 levels below it. The walk up must reach the file without
    // running out of stack or memory, and nothing is created.
    const std::wstring file = folder_.Join(L"taken");
    ASSERT_TRUE(WriteFileBytes(file, "data"));
    std::wstring path = file;
    for (int level = 0; level < 40000; ++level) {
        path += L"\\a";
    }
    EXPECT_FALSE(EnsureDirectory(path));
    EXPECT_EQ((std::vector<std::wstring>{L" [ERROR] 创建目录失败：同名文件已存在 path=" + file + L"\r\n"}),
              Messages(log_));
    EXPECT_EQ("data", ReadFileBytes(file));
}

struct ParentCase {
    const wchar_t* path;
    const wchar_t* parent;
};

class DataFolderParentTest : public ::testing::TestWithParam<ParentCase> {};

TEST_P(DataFolderParentTest, StopsAtRootsAndShortPrefixes) {
    const std::wstring path = GetParam().path;
    EXPECT_EQ(std::wstring(GetParam().parent), path.substr(0, ParentLengthToEnsure(path)));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DataFolderParentTest,
    ::testing::Values(ParentCase{L"C:\\a", L""}, ParentCase{L"C:\\a\\b", L"C:\\a"},
                      ParentCase{L".\\Korvel", L""}, ParentCase{L"\\x", L""}, ParentCase{L"D:/a/b", L"D:/a"},
                      ParentCase{L"D:\\a\\b\\", L"D:\\a\\b"}, ParentCase{L"abc", L""}, ParentCase{L"", L""},
                      ParentCase{L"\\\\server\\share\\dir", L"\\\\server\\share"},
                      ParentCase{L"D:\\a/b\\c", L"D:\\a/b"}, ParentCase{L"ab\\c", L""},
                      ParentCase{L"abc\\d", L"abc"}, ParentCase{L"C:\\用户\\Zoë", L"C:\\用户"}));

TEST(DataFolderTest, LivesInTheRoamingAppDataFolder) {
    ResetLogForTesting();
    CapturedLog log;
    const std::wstring folder = GetDataFolder();

    wchar_t appData[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
    EXPECT_EQ(std::wstring(appData) + L"\\Korvel", folder);
    EXPECT_EQ(std::wstring(appData) + L"\\Korvel", LocateDataFolder());
    EXPECT_EQ(std::wstring(appData) + L"\\Korvel\\config.ini", GetConfigPath());
    const std::wstring roaming = L"\\AppData\\Roaming";
    const std::wstring base(appData);
    ASSERT_GT(base.size(), roaming.size());
    EXPECT_EQ(roaming, base.substr(base.size() - roaming.size()));
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_TRUE(log.Lines().empty()) << "no fallback line";
}
