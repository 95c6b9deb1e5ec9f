#pragma once
// Small helpers shared by the unit and integration tests.
#include <string>
#include <vector>

#include "config/config.h"

// Collects every log line written while it lives (through the log's listener).
class CapturedLog {
  public:
    CapturedLog();
    ~CapturedLog();
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    const std::vector<std::wstring>& Lines() const { return lines_; }
    // True when some line contains `part`.
    bool Contains(const std::wstring& part) const;
    // How many lines contain `part`.
    int Count(const std::wstring& part) const;
    void Clear() { lines_.clear(); }

  private:
    static void OnLine(const std::wstring& line, void* context);
    std::vector<std::wstring> lines_;
};

// A fresh empty folder under the temporary folder, removed with everything in it when it goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    // Path() + "\" + name
    std::wstring Join(const std::wstring& name) const;

  private:
    std::wstring path_;
};

// Puts the pointer at a screen point and waits until GetCursorPos keeps reporting it (Wine can move it back
// while its own pointer events catch up); false when it would not stay.
bool PlacePointer(int x, int y);

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
std::string ToUtf8(const std::wstring& text);
// Puts text on the clipboard as CF_UNICODETEXT, with `owner` (may be null) as the clipboard's owner.
bool PutTextOnClipboard(void* owner, const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// A valid configuration record that does not depend on the machine's folders.
AppConfig SampleConfig();
// Every field in readable form (the config.ini text), so that a mismatch shows which one differs.
std::wstring Fields(const AppConfig& config);
