#pragma once
// Every installer test starts with nothing installed, no setup.log and no Korvel running, and leaves the
// same behind: the other end-to-end tests share this Wine user.
#include <shlobj.h>

#include <string>
#include <vector>

#include "e2e_fixture.h"
#include "setup_process.h"
#include "support/setup_files.h"

class InstallerE2ETest : public KorvelE2ETest {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(KorvelE2ETest::SetUp());
        RemoveInstallation();
        DeleteFileW(SetupLogPath().c_str());
    }

    void TearDown() override {
        QuitAnyKorvel();
        RemoveInstallation();
    }

    static std::wstring SetupProgram() { return SiblingProgram(L"KorvelSetup.exe"); }
    static std::wstring BuiltKorvel() { return SiblingProgram(L"Korvel.exe"); }

    static std::wstring InstallFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\KOR-VEL"; }
    static std::wstring InstalledProgram() { return InstallFolder() + L"\\Korvel.exe"; }
    static std::wstring StartMenuShortcut() { return KnownFolder(CSIDL_PROGRAMS) + L"\\KOR-VEL.lnk"; }

    // The lines a complete install writes to setup.log, in order.
    static std::vector<std::wstring> InstallLines() {
        return {L"开始安装",
                L"已写出 " + InstalledProgram() + L" size=" +
                    std::to_wstring(ReadFileBytes(BuiltKorvel()).size()),
                L"已创建快捷方式 " + StartMenuShortcut(), L"安装完成"};
    }

    // An install that nobody watches, which must succeed.
    static void InstallSilently() {
        const SetupRun run = RunSetupToEnd(SetupProgram(), L"/S");
        ASSERT_EQ(run.exitCode, 0) << Messages();
        ASSERT_TRUE(FileExists(InstalledProgram()));
    }

    // Installs silently and starts the installed Korvel; setup.log then starts afresh.
    void InstallAndStartKorvel(ChildProcess& korvel) {
        ASSERT_NO_FATAL_FAILURE(InstallSilently());
        ASSERT_NO_FATAL_FAILURE(StartKorvel(korvel, InstalledProgram()));
        DeleteFileW(SetupLogPath().c_str());
    }

    // Runs the installer, which must show its message box with this text; presses Enter on it like a user
    // and returns the exit code.
    static long RunSetupAnsweringMessage(const std::wstring& arguments, const wchar_t* text) {
        ChildProcess setup;
        EXPECT_TRUE(setup.Start(SetupProgram(), arguments));
        HWND box = WaitForMessageBoxOf(setup.Id(), L"KOR-VEL", 20000);
        EXPECT_NE(box, nullptr) << Messages();
        if (box == nullptr) {
            return -1;
        }
        EXPECT_EQ(MessageBoxText(box), text);
        EXPECT_TRUE(PressEnterOn(box));
        return setup.WaitForExit(20000);
    }

    // setup.log as one text, to explain a failure.
    static std::string Messages() {
        std::string text = "setup.log:\n";
        for (const std::wstring& line : ReadSetupLogMessages()) {
            text += ToUtf8(line) + "\n";
        }
        return text;
    }

  private:
    static std::wstring KnownFolder(int csidl) {
        wchar_t path[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
        return path;
    }

    static void RemoveInstallation() {
        DeleteFileW(StartMenuShortcut().c_str());
        DeleteFileW(InstalledProgram().c_str());
        RemoveDirectoryW(InstallFolder().c_str());
        DeleteFileW(InstallFolder().c_str()); // a file staged under the folder's name
    }

    // A Korvel that the installer started, or one a failed test left running.
    static void QuitAnyKorvel() {
        HWND host = FindWindowW(L"KorvelHost", L"Korvel");
        if (host == nullptr) {
            return;
        }
        DWORD processId = 0;
        GetWindowThreadProcessId(host, &processId);
        ChildProcess korvel;
        if (korvel.Attach(processId) && QuitThroughTrayMenu(korvel) != 0) {
            korvel.Stop();
        }
    }
};
