#pragma once
// Starting the installed program after an install. An installer run elevated (Run as administrator, or a
// standard user typing an administrator's password) must not start Korvel elevated from a folder that the
// user's unelevated programs can write to: a DLL planted there would run with full rights. It asks the
// signed-in user's desktop shell to start it instead.
#include "installer/setup_rules.h"

// The installer's token: elevated or not, and its elevation type. desktopShellAnswered stays false.
TokenFacts ReadTokenFacts();

// Starts the program in the folder, the way ChooseProgramStart picks for this token, and logs which way it
// went. Called on the thread that initialised COM as a single-threaded apartment.
void StartInstalledProgram(const wchar_t* program, const wchar_t* folder);
