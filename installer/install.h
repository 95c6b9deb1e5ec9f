#pragma once
// The install: the program carried as resource RT_RCDATA 1 written to %LOCALAPPDATA%\Programs\KOR-VEL, a
// Start-menu shortcut to it, then the completion message and the program's start. Every step logs to
// setup.log; the first that fails ends the install, and what was written before it stays.
#include "installer/setup_rules.h"

// True when the program and the shortcut are in place. Called on a thread in a single-threaded apartment.
bool RunInstall(const InstallerOptions& options);

// %LOCALAPPDATA%\Programs\KOR-VEL (not created here), or empty when it cannot be looked up.
SetupPath GetInstallDir();
// The user's Start-menu Programs folder + "\KOR-VEL.lnk", or empty.
SetupPath GetStartMenuShortcutPath();
// Makes the folder exist level by level; whatever already exists under a name counts as done.
bool EnsureDirectoryTree(const wchar_t* path);
// Saves a shortcut to the program that starts in the folder.
bool CreateStartMenuShortcut(const wchar_t* program, const wchar_t* folder, const wchar_t* shortcut);
