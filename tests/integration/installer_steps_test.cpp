// The installer's steps on real folders, files and shell links, and its log file.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <thread>
#include <vector>

#include "installer/install.h"
#include "installer/program_file.h"
#include "installer/program_start.h"
#include "installer/setup_log.h"
#include "support/import_patch.h"
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
        EXPECT_TRUE(EnsureDirectoryTree(c.path.c_str()));
        for (const std::wstring& folder : c.made) {
            EXPECT_TRUE(DirectoryExists(folder)) << ToUtf8(folder);
        }
    }
    EXPECT_TRUE(ReadSetupLogMessages().empty());
}

TEST_F(InstallerStepsTest, DirectoryTreeTakesWhateverExistsUnderTheNameAndReportsWhatFails) {
    ASSERT_TRUE(WriteFileBytes(temp_.Join(L"file"), "x"));
    // A file under the folder's name counts as done; the next step finds out.
    EXPECT_TRUE(EnsureDirectoryTree(temp_.Join(L"file").c_str()));
    EXPECT_TRUE(ReadSetupLogMessages().empty());
    // Below a file nothing can be made.
    EXPECT_FALSE(EnsureDirectoryTree(temp_.Join(L"file\\sub\\deeper").c_str()));
    EXPECT_EQ(ReadSetupLogMessages(), std::vector<std::wstring>{L"创建目录失败 " + temp_.Join(L"file\\sub")});
    // The empty path is no folder, and says nothing.
    EXPECT_FALSE(EnsureDirectoryTree(L""));
    EXPECT_EQ(ReadSetupLogMessages().size(), 1u);
}

TEST_F(InstallerStepsTest, ProgramIsNotWrittenWithoutCarriedData) {
    // The test program carries no program resource, unlike KorvelSetup.exe.
    const std::wstring program = temp_.Join(L"Korvel.exe");
    EXPECT_FALSE(WriteProgramFile(program.c_str()));
    EXPECT_FALSE(FileExists(program));
    EXPECT_EQ(ReadSetupLogMessages(), std::vector<std::wstring>{L"安装包里没有程序数据"});
}

namespace {

// Stand-ins for the calls that replace the program: each fails or watches only what concerns the temporary
// file beside the program, and passes every other call (the log's, the test's own) on to the real function.
using CreateFileFunction = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                           HANDLE);
using WriteFileFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
using MoveFileFunction = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
CreateFileFunction realCreateFile = nullptr;
WriteFileFunction realWriteFile = nullptr;
MoveFileFunction realMoveFile = nullptr;

// What the watching stand-ins saw.
struct ReplaceWatch {
    std::wstring program;
    std::string programWhileWriting; // the bytes at the program's path while the new program was written
    std::wstring movedFrom;
    std::wstring movedTo;
    DWORD moveFlags = 0;
};
ReplaceWatch watch;

bool EndsInNew(const std::wstring& name) {
    return name.size() > 4 && name.compare(name.size() - 4, 4, L".new") == 0;
}

bool IsTempFile(HANDLE file) {
    wchar_t name[1024] = {};
    const DWORD length = GetFinalPathNameByHandleW(file, name, 1024, FILE_NAME_NORMALIZED);
    return length > 0 && length < 1024 && EndsInNew(name);
}

HANDLE WINAPI NoRoomForTheTempFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (EndsInNew(name)) {
        SetLastError(ERROR_DISK_FULL);
        return INVALID_HANDLE_VALUE;
    }
    return realCreateFile(name, access, share, security, disposition, flags, templateFile);
}

// The disk fills up half-way through the new program.
BOOL WINAPI DiskFillsUp(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    if (!IsTempFile(file)) {
        return realWriteFile(file, data, size, written, overlapped);
    }
    realWriteFile(file, data, size / 2, written, overlapped);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Reports success for what it took, as a write may; it sets no error code.
BOOL WINAPI TakesHalf(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    return realWriteFile(file, data, IsTempFile(file) ? size / 2 : size, written, overlapped);
}

BOOL WINAPI FlushFails(HANDLE) {
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
}

BOOL WINAPI MoveRefused(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

BOOL WINAPI WatchedWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    if (IsTempFile(file)) {
        watch.programWhileWriting = ReadFileBytes(watch.program);
    }
    return realWriteFile(file, data, size, written, overlapped);
}

BOOL WINAPI WatchedMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    watch.movedFrom = from;
    watch.movedTo = to;
    watch.moveFlags = flags;
    return realMoveFile(from, to, flags);
}

const char kWorkingProgram[] = "MZ the working Korvel";

} // namespace

TEST_F(InstallerStepsTest, ProgramIsReplacedInOneStepOnceTheNewOneIsWholeOnDisk) {
    const std::wstring program = temp_.Join(L"Korvel.exe");
    const std::string newProgram(100000, 'N');
    ASSERT_TRUE(WriteFileBytes(program, kWorkingProgram));
    watch = ReplaceWatch();
    watch.program = program;
    bool replaced = false;
    {
        ImportPatch write("WriteFile", reinterpret_cast<const void*>(&WatchedWrite));
        ImportPatch move("MoveFileExW", reinterpret_cast<const void*>(&WatchedMove));
        ASSERT_TRUE(write.Active() && move.Active());
        realWriteFile = write.Original<WriteFileFunction>();
        realMoveFile = move.Original<MoveFileFunction>();
        replaced =
            ReplaceProgramFile(program.c_str(), newProgram.data(), static_cast<DWORD>(newProgram.size()));
    }
    EXPECT_TRUE(replaced);
    EXPECT_EQ(ReadFileBytes(program), newProgram);
    // The working program stayed whole until the new one took its place in one move that replaces it and
    // is on disk when it returns.
    EXPECT_EQ(watch.programWhileWriting, kWorkingProgram);
    EXPECT_EQ(watch.movedFrom, program + L".new");
    EXPECT_EQ(watch.movedTo, program);
    EXPECT_EQ(watch.moveFlags, static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_FALSE(FileExists(program + L".new"));
    EXPECT_TRUE(ReadSetupLogMessages().empty());

    // A first install has nothing to replace.
    ASSERT_TRUE(DeleteFileW(program.c_str()));
    EXPECT_TRUE(ReplaceProgramFile(program.c_str(), "MZ", 2));
    EXPECT_EQ(ReadFileBytes(program), "MZ");
}

TEST_F(InstallerStepsTest, AFailedReplaceKeepsTheWorkingProgramAndLeavesNoTemporaryFile) {
    struct Case {
        const char* function;
        const void* standIn;
        std::wstring line;
    };
    const std::string newProgram(100000, 'N');
    const Case cases[] = {
        {"CreateFileW", reinterpret_cast<const void*>(&NoRoomForTheTempFile), L"创建临时文件失败 err=112"},
        {"WriteFile", reinterpret_cast<const void*>(&DiskFillsUp), L"写出程序不完整 err=112"},
        {"WriteFile", reinterpret_cast<const void*>(&TakesHalf), L"写出程序不完整 written=50000 size=100000"},
        {"FlushFileBuffers", reinterpret_cast<const void*>(&FlushFails), L"写入磁盘失败 err=1117"},
        {"MoveFileExW", reinterpret_cast<const void*>(&MoveRefused), L"替换程序失败 err=5"},
    };
    const std::wstring program = temp_.Join(L"Korvel.exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.line));
        ASSERT_TRUE(WriteFileBytes(program, kWorkingProgram));
        DeleteFileW(SetupLogPath().c_str());
        bool replaced = true;
        {
            ImportPatch patch(c.function, c.standIn);
            ASSERT_TRUE(patch.Active());
            realCreateFile = patch.Original<CreateFileFunction>();
            realWriteFile = patch.Original<WriteFileFunction>();
            replaced =
                ReplaceProgramFile(program.c_str(), newProgram.data(), static_cast<DWORD>(newProgram.size()));
        }
        EXPECT_FALSE(replaced);
        EXPECT_EQ(ReadFileBytes(program), kWorkingProgram);
        EXPECT_FALSE(FileExists(program + L".new"));
        EXPECT_EQ(ReadSetupLogMessages(), std::vector<std::wstring>{c.line});
    }
}

TEST_F(InstallerStepsTest, ProgramInUseIsLeftAloneWithTheSharingViolation) {
    const std::wstring program = temp_.Join(L"Korvel.exe");
    ASSERT_TRUE(WriteFileBytes(program, kWorkingProgram));
    EXPECT_EQ(CheckProgramFileFree(program.c_str()), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(CheckProgramFileFree(temp_.Join(L"none.exe").c_str()), static_cast<DWORD>(ERROR_SUCCESS));

    // Held as the system holds a running program: others may read it and delete its name.
    HANDLE running = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CheckProgramFileFree(program.c_str()), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(ReplaceProgramFile(program.c_str(), "MZ new", 6));
    CloseHandle(running);

    EXPECT_EQ(ReadFileBytes(program), kWorkingProgram);
    EXPECT_FALSE(FileExists(program + L".new"));
    EXPECT_EQ(ReadSetupLogMessages(), std::vector<std::wstring>{L"写出程序失败 err=32"});
}

namespace {

// The token the installer runs with, as a stand-in for GetTokenInformation reports it.
TokenFacts reportedToken;

BOOL WINAPI ReportToken(HANDLE, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size, PDWORD needed) {
    if (kind == TokenElevation && size >= sizeof(TOKEN_ELEVATION)) {
        static_cast<TOKEN_ELEVATION*>(information)->TokenIsElevated = reportedToken.elevated ? 1 : 0;
        *needed = sizeof(TOKEN_ELEVATION);
        return TRUE;
    }
    if (kind == TokenElevationType && size >= sizeof(TOKEN_ELEVATION_TYPE)) {
        *static_cast<TOKEN_ELEVATION_TYPE*>(information) =
            static_cast<TOKEN_ELEVATION_TYPE>(reportedToken.kind);
        *needed = sizeof(TOKEN_ELEVATION_TYPE);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// The desktop's shell window, as a stand-in for GetShellWindow reports it.
bool desktopHasShell = false;
HWND WINAPI ReportShellWindow() {
    return desktopHasShell ? GetDesktopWindow() : nullptr;
}

int shellWindowRequests = 0;

// No desktop shell: the shell's window list is not there to ask.
HRESULT WINAPI NoShellWindows(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object) {
    ++shellWindowRequests;
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

// Counts the requests and passes them on.
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
CoCreateInstanceFunction realCoCreateInstance = nullptr;
HRESULT WINAPI CountedCoCreateInstance(REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID id,
                                       LPVOID* object) {
    ++shellWindowRequests;
    return realCoCreateInstance(type, outer, context, id, object);
}

// The text a started script leaves in a file, once it has written a whole line.
std::string WaitForLine(const std::wstring& path, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::string text;
    while ((text = ReadFileBytes(path)).find('\n') == std::string::npos && GetTickCount64() < deadline) {
        Sleep(50);
    }
    return text;
}

} // namespace

TEST_F(InstallerStepsTest, ProgramStartsThroughTheDesktopShellOrSaysItRunsElevated) {
    using Kind = TokenElevationKind;
    struct Case {
        bool elevated;
        Kind kind;
        bool shellWindow;  // whether the desktop has a shell window
        bool shellAnswers; // whether the shell's window list answers
        int shellRequests;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        // An unelevated installer starts it as it is, without asking the shell.
        {false, Kind::Limited, true, true, 0, {L"已直接启动程序 elevated=0 type=3"}},
        // Run as administrator: the desktop shell starts it, with the signed-in user's own token.
        {true, Kind::Full, true, true, 1, {L"已通过桌面外壳启动程序 elevated=1 type=2"}},
        // No desktop shell answers: started as before, and the log says it runs elevated.
        {true,
         Kind::Full,
         false,
         true,
         0,
         {L"当前桌面没有外壳窗口", L"已直接启动程序，它以提升的权限运行 elevated=1 type=2"}},
        {true,
         Kind::Full,
         true,
         false,
         1,
         {L"桌面外壳没有应答 hr=0x80040154", L"已直接启动程序，它以提升的权限运行 elevated=1 type=2"}},
    };
    // A program that shows where it started: it writes its working folder into a file there.
    const std::wstring folder = temp_.Join(L"Programs KOR-VEL");
    const std::wstring program = folder + L"\\start.cmd";
    const std::wstring marker = folder + L"\\started.txt";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(program, "@cd > started.txt\r\n"));
    ComApartment com;
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.lines.back()));
        DeleteFileW(SetupLogPath().c_str());
        DeleteFileW(marker.c_str());
        reportedToken.elevated = c.elevated;
        reportedToken.kind = c.kind;
        desktopHasShell = c.shellWindow;
        shellWindowRequests = 0;
        {
            ImportPatch token("GetTokenInformation", reinterpret_cast<const void*>(&ReportToken));
            ImportPatch shellWindow("GetShellWindow", reinterpret_cast<const void*>(&ReportShellWindow));
            ImportPatch shell("CoCreateInstance",
                              c.shellAnswers ? reinterpret_cast<const void*>(&CountedCoCreateInstance)
                                             : reinterpret_cast<const void*>(&NoShellWindows));
            ASSERT_TRUE(token.Active() && shellWindow.Active() && shell.Active());
            realCoCreateInstance = shell.Original<CoCreateInstanceFunction>();
            StartInstalledProgram(program.c_str(), folder.c_str());
        }
        EXPECT_EQ(ReadSetupLogMessages(), c.lines);
        EXPECT_EQ(shellWindowRequests, c.shellRequests);
        EXPECT_EQ(WaitForLine(marker, 20000), ToUtf8(folder) + "\r\n")
            << "the program did not start in its folder";
    }
}

TEST_F(InstallerStepsTest, ShortcutPointsAtTheProgramAndStartsInItsFolder) {
    ComApartment com;
    const std::wstring folder = temp_.Join(L"程序 KOR-VEL");
    const std::wstring program = folder + L"\\Korvel.exe";
    const std::wstring shortcut = temp_.Join(L"开始菜单.lnk");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(program, "MZ"));

    ASSERT_TRUE(CreateStartMenuShortcut(program.c_str(), folder.c_str(), shortcut.c_str()));

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
        EXPECT_FALSE(CreateStartMenuShortcut(program.c_str(), temp_.Path().c_str(),
                                             temp_.Join(L"missing\\KOR-VEL.lnk").c_str()));
    }
    // A thread without COM cannot make the link object at all.
    bool made = true;
    std::thread withoutCom([&] {
        made = CreateStartMenuShortcut(program.c_str(), temp_.Path().c_str(), temp_.Join(L"a.lnk").c_str());
    });
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
