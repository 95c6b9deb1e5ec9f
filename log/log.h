#pragma once
// The program's one diagnostic channel: korvel.log in the data folder, mirrored to the debugger output.
// Format strings follow the Microsoft wide printf rules: "%s" takes a wide string.
#include <string>

// Starts the log in the data folder (roaming AppData\Korvel, or the temporary folder as a fallback).
void InitLog();
// The part of InitLog that follows the choice of folder: create it, rotate, mark ready, log the path.
// Tests start the log in a folder of their own with it.
void InitLogInFolder(const std::wstring& folder);

void LogInfo(const wchar_t* format, ...);
void LogError(const wchar_t* format, ...);
// Stamps, mirrors to the debugger and appends one line with the given level ("INFO" or "ERROR").
void WriteLogLine(const wchar_t* level, const wchar_t* message);

// Empty until the log has started.
const std::wstring& GetLogPath();

// Tests observe every finished line (with its CR LF) through a listener; null removes it.
using LogListener = void (*)(const std::wstring& line, void* context);
void SetLogListener(LogListener listener, void* context);
// Forgets the started log, so that following lines reach only the debugger output and the listener.
void ResetLogForTesting();
