#pragma once
// The frame of KorvelSetup: command line, install or uninstall, the one failure message, the exit code.
#include "installer/setup_rules.h"

// Runs the install or the uninstall that the command line asks for; the exit code, 0 or 1.
int InstallerMain();
// The switches of the process's command line; unknown ones are logged and ignored.
InstallerOptions ParseInstallerCommandLine();
