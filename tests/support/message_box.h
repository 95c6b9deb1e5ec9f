#pragma once
// Korvel's message boxes ("#32770" windows titled "KOR-VEL"), seen from a test.
#include <windows.h>

#include <string>

// The message of a message box: the text of its static child.
std::wstring MessageBoxText(HWND box);
// A message box titled "KOR-VEL", once one is open; null when none opened in time.
HWND WaitForKorvelMessageBox(DWORD timeoutMs);
// The message of the next "KOR-VEL" box, which it then closes with its default button; empty when none came.
std::wstring AnswerKorvelMessageBox(DWORD timeoutMs);
