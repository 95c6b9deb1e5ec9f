#include <gtest/gtest.h>

#include <windows.h>

#include <share.h>

#include <cstdio>
#include <string>

#include "log/data_folder.h"
#include "log/log.h"
#include "support/import_patch.h"
#include "support/test_support.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

// "YYYY-MM-DD hh:mm:ss" in UTF-8: checks the stamp at `offset` and returns the bytes that follow it,
// up to and including the next LF.
std::string LineAfterStamp(const std::string& bytes, size_t offset) {
    const std::string shape = "dddd-dd-dd dd:dd:dd";
    if (bytes.size() < offset + shape.size()) {
        ADD_FAILURE() << "no time stamp at byte " << offset;
        return std::string();
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        const char c = bytes[offset + i];
        if (shape[i] == 'd') {
            EXPECT_TRUE(c >= '0' && c <= '9') << "byte " << offset + i;
        } else {
            EXPECT_EQ(shape[i], c) << "byte " << offset + i;
        }
    }
    const size_t end = bytes.find('\n', offset);
    const size_t stop = end == std::string::npos ? bytes.size() : end + 1;
    return bytes.substr(offset + shape.size(), stop - offset - shape.size());
}

// How the log opens its file, seen through the C runtime's shared open.
struct LogOpen {
    int calls = 0;
    std::wstring path;
    std::wstring mode;
    int share = -1;
};
LogOpen logOpen;
using SharedOpen = FILE*(__cdecl*)(const wchar_t*, const wchar_t*, int);
SharedOpen realSharedOpen = nullptr;

FILE* __cdecl RecordSharedOpen(const wchar_t* path, const wchar_t* mode, int share) {
    ++logOpen.calls;
    logOpen.path = path;
    logOpen.mode = mode;
    logOpen.share = share;
    return realSharedOpen(path, mode, share);
}

class LogFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetLogForTesting(); }
    // Later tests must not write into this folder after it has gone.
    void TearDown() override { ResetLogForTesting(); }

    std::wstring LogPath() const { return folder_.Join(L"korvel.log"); }
    std::wstring OldPath() const { return folder_.Join(L"korvel.log.old"); }

    TempFolder folder_;
};

} // namespace

TEST_F(LogFileTest, NewLogStartsWithBomAndTheInitLine) {
    InitLogInFolder(folder_.Path());
    EXPECT_EQ(LogPath(), GetLogPath());

    const std::string bytes = ReadFileBytes(LogPath());
    ASSERT_EQ(kBom, bytes.substr(0, 3));
    EXPECT_EQ(" [INFO] " + ToUtf8(L"日志初始化 path=" + LogPath()) + "\r\n", LineAfterStamp(bytes, 3));
    EXPECT_EQ(bytes.size(), 3 + 19 + LineAfterStamp(bytes, 3).size()) << "exactly one line";
}

TEST_F(LogFileTest, LaterLinesAreAppendedWithoutAnotherBom) {
    InitLogInFolder(folder_.Path());
    const size_t initSize = ReadFileBytes(LogPath()).size();
    LogInfo(L"第二行");
    LogError(L"第三行 err=%lu", 5UL);

    const std::string bytes = ReadFileBytes(LogPath());
    EXPECT_EQ(std::string::npos, bytes.find(kBom, 3));
    const std::string second = LineAfterStamp(bytes, initSize);
    EXPECT_EQ(" [INFO] " + ToUtf8(L"第二行") + "\r\n", second);
    EXPECT_EQ(" [ERROR] " + ToUtf8(L"第三行 err=5") + "\r\n",
              LineAfterStamp(bytes, initSize + 19 + second.size()));
}

TEST_F(LogFileTest, ExistingFileGetsNoBom) {
    // An empty file counts as existing too: the mark belongs only to a file the log creates.
    const std::string contents[] = {std::string(), "2024-05-01 09:03:07 [INFO] earlier\r\n"};
    for (const std::string& existing : contents) {
        SCOPED_TRACE(existing.size());
        ResetLogForTesting();
        ASSERT_TRUE(WriteFileBytes(LogPath(), existing));
        InitLogInFolder(folder_.Path());

        const std::string bytes = ReadFileBytes(LogPath());
        EXPECT_EQ(existing, bytes.substr(0, existing.size()));
        EXPECT_EQ(std::string::npos, bytes.find(kBom));
        EXPECT_EQ(" [INFO] " + ToUtf8(L"日志初始化 path=" + LogPath()) + "\r\n",
                  LineAfterStamp(bytes, existing.size()));
    }
}

TEST_F(LogFileTest, NonAsciiMessageAndPathAreWrittenAsUtf8) {
    // Bytes spelled out by hand, so the check does not lean on the same conversion the log uses.
    const std::wstring folder = folder_.Join(L"日志 Zoë");
    InitLogInFolder(folder);
    const std::string bytes = ReadFileBytes(folder + L"\\korvel.log");
    ASSERT_EQ(kBom, bytes.substr(0, 3));
    const std::string initLine = LineAfterStamp(bytes, 3);
    const std::string initMessage = "\xE6\x97\xA5\xE5\xBF\x97\xE5\x88\x9D\xE5\xA7\x8B\xE5\x8C\x96 path=";
    const std::string folderBytes = "\\\xE6\x97\xA5\xE5\xBF\x97 Zo\xC3\xAB\\korvel.log\r\n";
    EXPECT_EQ(0u, initLine.find(" [INFO] " + initMessage));
    EXPECT_EQ(folderBytes, initLine.substr(initLine.size() - folderBytes.size()));

    LogInfo(L"已保存 %s", L"C:\\用户\\Zoë\\截图.png");
    const std::string after = ReadFileBytes(folder + L"\\korvel.log");
    EXPECT_EQ(" [INFO] \xE5\xB7\xB2\xE4\xBF\x9D\xE5\xAD\x98 C:\\\xE7\x94\xA8\xE6\x88\xB7\\Zo\xC3\xAB\\"
              "\xE6\x88\xAA\xE5\x9B\xBE.png\r\n",
              LineAfterStamp(after, bytes.size()));
}

TEST_F(LogFileTest, RotatesOnlyALogLargerThanOneMebibyte) {
    struct Case {
        size_t size;
        bool rotated;
    };
    const Case cases[] = {{1048576, false}, {1048577, true}};
    const std::string olderGeneration = "older generation\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ResetLogForTesting();
        const std::string big(c.size, 'x');
        ASSERT_TRUE(WriteFileBytes(LogPath(), big));
        ASSERT_TRUE(WriteFileBytes(OldPath(), olderGeneration));

        InitLogInFolder(folder_.Path());

        const std::string log = ReadFileBytes(LogPath());
        const std::string old = ReadFileBytes(OldPath());
        const std::string initLine = " [INFO] " + ToUtf8(L"日志初始化 path=" + LogPath()) + "\r\n";
        if (c.rotated) {
            EXPECT_EQ(big, old) << "the big log replaces the older generation";
            ASSERT_EQ(kBom, log.substr(0, 3));
            EXPECT_EQ(initLine, LineAfterStamp(log, 3));
            EXPECT_EQ(3 + 19 + initLine.size(), log.size());
        } else {
            EXPECT_EQ(olderGeneration, old);
            EXPECT_EQ(big, log.substr(0, big.size()));
            EXPECT_EQ(initLine, LineAfterStamp(log, big.size()));
        }
    }
}

TEST_F(LogFileTest, LongMessageIsWrittenCutTo3071Characters) {
    InitLogInFolder(folder_.Path());
    const size_t initSize = ReadFileBytes(LogPath()).size();
    std::wstring text;
    for (int i = 0; i < 5000; ++i) {
        text.push_back(static_cast<wchar_t>(L'a' + i % 26));
    }
    LogInfo(L"%s", text.c_str());

    const std::string bytes = ReadFileBytes(LogPath());
    const std::string expected = " [INFO] " + std::string(text.begin(), text.begin() + 3071) + "\r\n";
    EXPECT_EQ(expected, LineAfterStamp(bytes, initSize));
    EXPECT_EQ(initSize + 19 + expected.size(), bytes.size());
}

TEST_F(LogFileTest, LinesBeforeTheStartReachOnlyTheListener) {
    CapturedLog captured;
    LogInfo(L"启动之前 marker-before");
    InitLogInFolder(folder_.Path());
    LogInfo(L"启动之后 marker-during");
    ResetLogForTesting();
    LogError(L"重置之后 marker-after");

    EXPECT_EQ(1, captured.Count(L"启动之前 marker-before"));
    EXPECT_EQ(1, captured.Count(L"重置之后 marker-after"));
    EXPECT_TRUE(GetLogPath().empty());
    const std::string bytes = ReadFileBytes(LogPath());
    EXPECT_NE(std::string::npos, bytes.find(ToUtf8(L"启动之后 marker-during")));
    EXPECT_EQ(std::string::npos, bytes.find("marker-before"));
    EXPECT_EQ(std::string::npos, bytes.find("marker-after"));
}

TEST_F(LogFileTest, LockedFileLosesLinesSilently) {
    InitLogInFolder(folder_.Path());
    CapturedLog captured;
    // Share mode 0: nobody else may open the file while this handle is held.
    HANDLE lock = CreateFileW(LogPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    LogInfo(L"锁定期间 marker-locked");
    LogError(L"锁定期间 marker-locked-error err=%lu", 32UL);
    CloseHandle(lock);

    EXPECT_TRUE(captured.Contains(L"marker-locked-error err=32"));
    const std::string whileLocked = ReadFileBytes(LogPath());
    EXPECT_EQ(std::string::npos, whileLocked.find("marker-locked"));

    LogInfo(L"解锁之后 marker-unlocked");
    const std::string bytes = ReadFileBytes(LogPath());
    EXPECT_EQ(" [INFO] " + ToUtf8(L"解锁之后 marker-unlocked") + "\r\n",
              LineAfterStamp(bytes, whileLocked.size()));
    EXPECT_EQ(std::string::npos, bytes.find(kBom, 3));
}

TEST_F(LogFileTest, AViewerKeepingTheFileOpenLosesNoLines) {
    InitLogInFolder(folder_.Path());
    // A tail-style viewer: reads, and lets others read and write meanwhile.
    HANDLE viewer = CreateFileW(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, viewer);
    const size_t before = ReadFileBytes(LogPath()).size();
    logOpen = LogOpen();
    {
        // Wine's runtime does not lock a file the way the Microsoft one does, so the sharing the log asks
        // for is read from its call.
        ImportPatch patch("_wfsopen", reinterpret_cast<const void*>(&RecordSharedOpen));
        ASSERT_TRUE(patch.Active()) << "the log does not open its file with a share mode";
        realSharedOpen = patch.Original<SharedOpen>();
        LogInfo(L"查看期间 marker-viewed");
    }
    CloseHandle(viewer);

    EXPECT_EQ(1, logOpen.calls);
    EXPECT_EQ(LogPath(), logOpen.path);
    EXPECT_EQ(L"ab", logOpen.mode);
    EXPECT_EQ(_SH_DENYNO, logOpen.share);
    EXPECT_EQ(" [INFO] " + ToUtf8(L"查看期间 marker-viewed") + "\r\n",
              LineAfterStamp(ReadFileBytes(LogPath()), before));
}

TEST_F(LogFileTest, InitLogStartsInTheDataFolder) {
    InitLog();
    EXPECT_EQ(GetDataFolder() + L"\\korvel.log", GetLogPath());
    EXPECT_TRUE(FileExists(GetLogPath()));
    const std::string bytes = ReadFileBytes(GetLogPath());
    EXPECT_NE(std::string::npos, bytes.find(ToUtf8(L"日志初始化 path=" + GetLogPath() + L"\r\n")));
}
