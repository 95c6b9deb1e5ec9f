// KorvelSetup.exe installs, reinstalls and uninstalls Korvel for the Wine user, as a user would run it.
#include <string>
#include <vector>

#include "installer_fixture.h"

namespace {

const wchar_t kCaption[] = L"KOR-VEL";
const wchar_t kCompletionMessage[] = L"KOR-VEL 已安装，接下来会在托盘里运行。";
const wchar_t kInstallFailedMessage[] = L"安装失败。请查看 %LOCALAPPDATA%\\Korvel\\setup.log。";
const wchar_t kUninstallFailedMessage[] = L"卸载失败。请查看 %LOCALAPPDATA%\\Korvel\\setup.log。";

std::string Classes(const std::vector<std::wstring>& names) {
    std::string text;
    for (const std::wstring& name : names) {
        text += ToUtf8(name) + " ";
    }
    return text;
}

} // namespace

TEST_F(InstallerE2ETest, SilentInstallWritesTheBuiltProgramAndShortcutWithoutAnyWindow) {
    const SetupRun run = RunSetupToEnd(SetupProgram(), L"/S");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.windowsSeen.empty()) << Classes(run.windowsSeen);
    EXPECT_EQ(ReadFileBytes(InstalledProgram()), ReadFileBytes(BuiltKorvel())) << "not the built program";

    const ShortcutFields shortcut = ReadShortcut(StartMenuShortcut());
    ASSERT_TRUE(shortcut.loaded);
    EXPECT_EQ(shortcut.path, InstalledProgram());
    EXPECT_EQ(shortcut.target, InstalledProgram());
    EXPECT_EQ(shortcut.workingDirectory, InstallFolder());
    EXPECT_EQ(shortcut.description, L"KOR-VEL 截图");

    const std::string log = ReadFileBytes(SetupLogPath());
    EXPECT_EQ(log.compare(0, 3, "\xEF\xBB\xBF"), 0) << "starts with the byte-order mark";
    EXPECT_EQ(CountByteOrderMarks(log), 1);
    EXPECT_EQ(ReadSetupLogMessages(), InstallLines());

    // Silent: the program is not started either, neither at once nor a little later (a program started
    // through the desktop shell comes up some time after the installer has ended).
    EXPECT_FALSE(ProgramRunning(InstalledProgram()));
    Sleep(3000);
    EXPECT_FALSE(ProgramRunning(InstalledProgram()));
}

TEST_F(InstallerE2ETest, InstallingAgainReplacesProgramAndShortcutAndAppendsToTheLog) {
    ASSERT_NO_FATAL_FAILURE(InstallSilently());
    // Stale files from an older install: a different program and a shortcut pointing elsewhere.
    ASSERT_TRUE(WriteFileBytes(InstalledProgram(), "an older Korvel"));
    ASSERT_TRUE(WriteFileBytes(StartMenuShortcut(), "not a shortcut"));

    const SetupRun run = RunSetupToEnd(SetupProgram(), L"/silent");

    EXPECT_EQ(run.exitCode, 0) << Messages();
    EXPECT_EQ(ReadFileBytes(InstalledProgram()), ReadFileBytes(BuiltKorvel()));
    EXPECT_EQ(ReadShortcut(StartMenuShortcut()).path, InstalledProgram());
    // Both runs in order, the byte-order mark only once at the start.
    std::vector<std::wstring> twice = InstallLines();
    const std::vector<std::wstring> once = InstallLines();
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(ReadSetupLogMessages(), twice);
    EXPECT_EQ(CountByteOrderMarks(ReadFileBytes(SetupLogPath())), 1);
}

TEST_F(InstallerE2ETest, InstallWhileKorvelRunsFailsAtWritingTheProgram) {
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(InstallAndStartKorvel(korvel));

    // Silent: no message box, the exit code tells.
    const SetupRun silent = RunSetupToEnd(SetupProgram(), L"/quiet");
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.windowsSeen.empty()) << Classes(silent.windowsSeen);
    const std::vector<std::wstring> failed = {L"开始安装", L"写出程序失败 err=32"};
    EXPECT_EQ(ReadSetupLogMessages(), failed);

    // Not silent: the failure message, and still exit code 1 once it is closed.
    EXPECT_EQ(RunSetupAnsweringMessage(L"", kInstallFailedMessage), 1);
    EXPECT_EQ(ReadFileBytes(InstalledProgram()), ReadFileBytes(BuiltKorvel())) << "the running one stays";
    EXPECT_FALSE(FileExists(InstalledProgram() + L".new")) << "nothing was written beside it";

    EXPECT_EQ(QuitThroughTrayMenu(korvel), 0);
}

TEST_F(InstallerE2ETest, FileNamedLikeTheInstallFolderStopsTheInstallAndStaysUntouched) {
    const std::wstring programs = InstallFolder().substr(0, InstallFolder().find_last_of(L'\\'));
    CreateDirectoryW(programs.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(InstallFolder(), "a file, not a folder"));
    // The error the system gives for a file "inside" a file, whatever its number on this system.
    HANDLE probe = CreateFileW(InstalledProgram().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD expectedError = GetLastError();
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE);

    const SetupRun run = RunSetupToEnd(SetupProgram(), L"/S");

    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::wstring> failed = {L"开始安装",
                                              L"写出程序失败 err=" + std::to_wstring(expectedError)};
    EXPECT_EQ(ReadSetupLogMessages(), failed);
    EXPECT_EQ(ReadFileBytes(InstallFolder()), "a file, not a folder");
    EXPECT_FALSE(FileExists(StartMenuShortcut()));
}

// Each case: whether Korvel was installed before "/UNINSTALL /s" runs.
class UninstallTest : public InstallerE2ETest, public ::testing::WithParamInterface<bool> {};

TEST_P(UninstallTest, RemovesProgramShortcutAndFolderAndKeepsTheUsersFiles) {
    if (GetParam()) {
        ASSERT_NO_FATAL_FAILURE(InstallSilently());
    }
    // What Korvel leaves for the user: configuration, log and pictures.
    ASSERT_NO_FATAL_FAILURE(WriteConfig("language=2\r\n"));
    ASSERT_TRUE(WriteFileBytes(KorvelLogPath(), "\xEF\xBB\xBFlog\r\n"));
    wchar_t pictures[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures);
    const std::wstring pictureFolder = std::wstring(pictures) + L"\\Korvel";
    const std::wstring picture = pictureFolder + L"\\Korvel_keep_me.png";
    CreateDirectoryW(pictureFolder.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(picture, "picture"));

    const SetupRun run = RunSetupToEnd(SetupProgram(), L"/UNINSTALL /s");

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.windowsSeen.empty()) << Classes(run.windowsSeen);
    EXPECT_FALSE(FileExists(StartMenuShortcut()));
    EXPECT_FALSE(FileExists(InstalledProgram()));
    EXPECT_FALSE(DirectoryExists(InstallFolder()));
    const std::vector<std::wstring> messages = ReadSetupLogMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], L"开始卸载");
    EXPECT_EQ(messages.back(), L"卸载完成");

    EXPECT_EQ(ReadConfigFile(), "language=2\r\n");
    EXPECT_EQ(ReadFileBytes(KorvelLogPath()), "\xEF\xBB\xBFlog\r\n");
    EXPECT_EQ(ReadFileBytes(picture), "picture");
    DeleteFileW(picture.c_str());
    RemoveDirectoryW(pictureFolder.c_str());
}

INSTANTIATE_TEST_SUITE_P(InstalledOrNot, UninstallTest, ::testing::Bool());

TEST_F(InstallerE2ETest, UninstallWhileKorvelRunsChangesNothingAndSaysSo) {
    ChildProcess korvel;
    ASSERT_NO_FATAL_FAILURE(InstallAndStartKorvel(korvel));

    const SetupRun silent = RunSetupToEnd(SetupProgram(), L"/uninstall /S");

    // A running program cannot be deleted: the uninstall claims no success, and leaves the installed
    // program with its shortcut rather than half removed.
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(FileExists(InstalledProgram()));
    EXPECT_EQ(ReadShortcut(StartMenuShortcut()).target, InstalledProgram());
    const std::vector<std::wstring> failed = {L"开始卸载", L"删除程序失败 err=32"};
    EXPECT_EQ(ReadSetupLogMessages(), failed);

    EXPECT_EQ(RunSetupAnsweringMessage(L"/uninstall", kUninstallFailedMessage), 1);
    EXPECT_EQ(ReadShortcut(StartMenuShortcut()).target, InstalledProgram());

    // Once Korvel has quit, the same command finishes the job.
    ASSERT_EQ(QuitThroughTrayMenu(korvel), 0);
    EXPECT_EQ(RunSetupToEnd(SetupProgram(), L"/uninstall /S").exitCode, 0);
    EXPECT_FALSE(FileExists(StartMenuShortcut()));
    EXPECT_FALSE(DirectoryExists(InstallFolder()));
}

TEST_F(InstallerE2ETest, UnknownSwitchIsLoggedOnOneLineAndTheInstallGoesOn) {
    struct Case {
        const wchar_t* arguments;
        const wchar_t* line;
    };
    const Case cases[] = {
        {L"/x /silent", L"忽略未知参数 /x"},
        // An argument that holds a line break cannot forge a line of its own.
        {L"\"/x\r\n2024-01-01 00:00:00 安装完成\" /silent", L"忽略未知参数 /x  2024-01-01 00:00:00 安装完成"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.line));
        DeleteFileW(SetupLogPath().c_str());
        const SetupRun run = RunSetupToEnd(SetupProgram(), c.arguments);

        EXPECT_EQ(run.exitCode, 0);
        std::vector<std::wstring> expected = InstallLines();
        expected.insert(expected.begin(), c.line);
        EXPECT_EQ(ReadSetupLogMessages(), expected);
        EXPECT_EQ(ReadFileBytes(InstalledProgram()), ReadFileBytes(BuiltKorvel()));
    }
}

TEST_F(InstallerE2ETest, InstallTellsTheUserThenStartsTheInstalledKorvel) {
    ChildProcess setup;
    ASSERT_TRUE(setup.Start(SetupProgram()));
    HWND box = WaitForMessageBoxOf(setup.Id(), kCaption, 20000);
    ASSERT_NE(box, nullptr) << Messages();
    EXPECT_EQ(MessageBoxText(box), kCompletionMessage);
    EXPECT_EQ(ReadSetupLogMessages(), InstallLines()) << "installed before the message";
    EXPECT_FALSE(ProgramRunning(InstalledProgram())) << "started only after the message is closed";

    ASSERT_TRUE(PressEnterOn(box));
    EXPECT_EQ(setup.WaitForExit(20000), 0);
    // Every process under Wine reports an elevated token of the full type, and no desktop has a shell
    // window there: the installer starts Korvel itself and says that it runs elevated.
    std::vector<std::wstring> lines = InstallLines();
    lines.push_back(L"当前桌面没有外壳窗口");
    lines.push_back(L"已直接启动程序，它以提升的权限运行 elevated=1 type=2");
    EXPECT_EQ(ReadSetupLogMessages(), lines);
    HWND host = WaitForHostWindow(60000);
    ASSERT_NE(host, nullptr) << LogForFailure();
    DWORD processId = 0;
    GetWindowThreadProcessId(host, &processId);
    EXPECT_EQ(_wcsicmp(ProcessImagePath(processId).c_str(), InstalledProgram().c_str()), 0)
        << ToUtf8(ProcessImagePath(processId));
    // Its own start-up ran to the end in the install folder.
    EXPECT_TRUE(WaitForLogLine(L"name=窗口", 10000)) << LogForFailure();
}

TEST_F(InstallerE2ETest, DllsPlantedBesideTheInstallerAreNeverLoaded) {
    // A download folder where somebody has left a DLL named like one the system loads on demand.
    TempFolder downloads;
    const std::wstring setup = downloads.Join(L"KorvelSetup.exe");
    const std::wstring probe = downloads.Join(L"dll_probe.exe");
    const std::wstring marker = downloads.Join(L"uxtheme.dll.loaded");
    ASSERT_TRUE(CopyFileW(SetupProgram().c_str(), setup.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(SiblingProgram(L"dll_probe.exe").c_str(), probe.c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(SiblingProgram(L"planted_dll.dll").c_str(), downloads.Join(L"uxtheme.dll").c_str(), FALSE));
    DllSearchFromProgramFolder setupSearch(L"KorvelSetup.exe", {L"uxtheme"});
    DllSearchFromProgramFolder probeSearch(L"dll_probe.exe", {L"uxtheme"});

    // The stage works: a program that leaves its search path as it is loads the planted copy.
    EXPECT_EQ(RunSetupToEnd(probe, L"uxtheme.dll").exitCode, 0);
    ASSERT_TRUE(FileExists(marker)) << "the planted DLL was not loaded by the probe";
    ASSERT_TRUE(DeleteFileW(marker.c_str()));

    for (const wchar_t* arguments : {L"/S", L"/uninstall /S"}) {
        SCOPED_TRACE(ToUtf8(arguments));
        EXPECT_EQ(RunSetupToEnd(setup, arguments).exitCode, 0) << Messages();
        EXPECT_FALSE(FileExists(marker)) << "the installer loaded the planted DLL";
        DeleteFileW(marker.c_str());
    }
}
