#pragma once
// The uninstall: the Start-menu shortcut, the program file and the then empty install folder go; the
// configuration, the logs and the pictures stay.

// True when the program is gone (or was never there).
bool RunUninstall();
