#pragma once
#include <windows.h>

// Browse: the shell's folder dialog, opened in the folder the path field names; a chosen folder fills the
// field (OK saves it).
void BrowseSaveFolder(HWND window);
