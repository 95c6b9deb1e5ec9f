#pragma once
// The uninstall: the program file, the Start-menu shortcut and the then empty install folder go; the
// configuration, the logs and the pictures stay.

// True when the program is gone (or was never there). A program in use changes nothing: the shortcut
// stays with it.
bool RunUninstall();
