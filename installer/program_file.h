#pragma once
// The installed program file: whether another program holds it, and replacing it in one step, so that an
// install that fails part-way leaves the working program in place.
#include <windows.h>

// ERROR_SUCCESS when no other process has the file open (or there is no file), else the error of an open
// that shares nothing: 32 while Korvel runs from it.
DWORD CheckProgramFileFree(const wchar_t* path);

// Writes the bytes beside the path under a temporary name, flushes them and moves them over the path in one
// step. False after logging the step that failed; the temporary file is then gone and whatever was at the
// path stays as it was.
bool ReplaceProgramFile(const wchar_t* path, const void* bytes, DWORD size);

// Replaces the file at the path with the program carried as resource RT_RCDATA 1.
bool WriteProgramFile(const wchar_t* path);
