#pragma once
// What KorvelSetup leaves on disk, read back the way a user's tools would: setup.log and shortcuts.
#include <string>
#include <vector>

// %LOCALAPPDATA%\Korvel\setup.log of the current user.
std::wstring SetupLogPath();
// The messages of setup.log in order. Each line's time stamp ("YYYY-MM-DD hh:mm:ss ") is checked and cut
// off; a line without one, or without its CR LF, comes back whole after a "?", so a comparison shows it.
std::vector<std::wstring> ReadSetupLogMessages();
// How many UTF-8 byte-order marks the bytes hold anywhere.
int CountByteOrderMarks(const std::string& bytes);

// COM for the calling thread as a single-threaded apartment, as KorvelSetup starts it, while it lives.
class ComApartment {
  public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool started_ = false;
};

struct ShortcutFields {
    bool loaded = false;
    std::wstring path;   // the link's path text (Wine keeps only its ANSI form: non-ASCII reads back as "?")
    std::wstring target; // the path of the link's item list, which the shell opens
    std::wstring workingDirectory;
    std::wstring description;
};
// Reads a .lnk file through the shell link interface.
ShortcutFields ReadShortcut(const std::wstring& file);
