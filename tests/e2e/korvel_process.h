#pragma once
// Starts the real Korvel.exe and watches what a user would see of it: its files, its windows, its exit.
#include <windows.h>

#include <string>
#include <vector>

// %APPDATA%\Korvel of the Wine user, where Korvel keeps korvel.log and config.ini.
std::wstring KorvelDataFolder();
std::wstring KorvelLogPath();
std::wstring KorvelConfigPath();
// Removes korvel.log, korvel.log.old and config.ini, so the next start is a first start.
void ResetKorvelData();
// The log's lines (BOM and CR LF removed).
std::vector<std::wstring> ReadKorvelLog();
// Index of the first line at or after `from` that contains `part`, or -1.
int FindLogLine(const std::vector<std::wstring>& lines, const std::wstring& part, int from = 0);
// Waits until the log has a line containing `part`; true when it came in time.
bool WaitForLogLine(const std::wstring& part, DWORD timeoutMs);
// A program next to the test program (Korvel.exe, hotkey_holder.exe).
std::wstring SiblingProgram(const wchar_t* name);

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess(); // terminates a process that is still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::wstring& program, const std::wstring& arguments = L"");
    // Takes charge of a process that another program started (a Korvel that an installer launched).
    bool Attach(DWORD processId);
    // The exit code, or -1 when the process has not ended in time.
    long WaitForExit(DWORD timeoutMs);
    bool Running() const;
    // Ends the process now, as a crash or a kill would.
    void Stop();
    DWORD Id() const { return info_.dwProcessId; }

  private:
    PROCESS_INFORMATION info_ = {};
};

// Korvel's hidden host window, once it exists.
HWND WaitForHostWindow(DWORD timeoutMs);
// Sends Quit through the tray menu of a running Korvel and waits for it to end; its exit code or -1.
long QuitThroughTrayMenu(ChildProcess& korvel);
