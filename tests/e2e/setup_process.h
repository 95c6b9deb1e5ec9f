#pragma once
// Runs KorvelSetup.exe and watches what a user would see of it: its windows, its message boxes, its end.
#include <windows.h>

#include <string>
#include <vector>

#include "support/message_box.h"

// The classes of the visible top-level windows that belong to a process.
std::vector<std::wstring> VisibleWindowClassesOf(DWORD processId);

// One run of the installer that needs nobody to answer it.
struct SetupRun {
    long exitCode = -1; // -1: it had not ended within the deadline
    // The classes of the visible top-level windows of the installer's process seen while it ran.
    std::vector<std::wstring> windowsSeen;
};
SetupRun RunSetupToEnd(const std::wstring& program, const std::wstring& arguments);

// A message box ("#32770") of the process with this caption, once it is visible; null when none came.
HWND WaitForMessageBoxOf(DWORD processId, const wchar_t* caption, DWORD timeoutMs);
// Brings the box to the front and presses Enter on it, as a user would; true when it closed.
bool PressEnterOn(HWND box);

// The full path of the program a process runs.
std::wstring ProcessImagePath(DWORD processId);
// True when some process runs the program at this path (compared without regard to case).
bool ProgramRunning(const std::wstring& path);

// Makes Wine look for these DLLs in a program's own folder before its system folder, as Windows does for
// DLLs that are not known DLLs, for every program of this file name; undone when it goes.
class DllSearchFromProgramFolder {
  public:
    DllSearchFromProgramFolder(const std::wstring& programFileName,
                               const std::vector<std::wstring>& dllNames);
    ~DllSearchFromProgramFolder();
    DllSearchFromProgramFolder(const DllSearchFromProgramFolder&) = delete;
    DllSearchFromProgramFolder& operator=(const DllSearchFromProgramFolder&) = delete;

  private:
    std::wstring key_;
};
