#pragma once
// The real Korvel.exe timed from outside, as a person would feel it: a shortcut pressed with SendInput until
// the complete PNG is on disk, or until the region overlay shows on the screen.
#include <windows.h>

#include <string>

#include "e2e/korvel_process.h"

class KorvelForBench {
  public:
    KorvelForBench();
    ~KorvelForBench();
    KorvelForBench(const KorvelForBench&) = delete;
    KorvelForBench& operator=(const KorvelForBench&) = delete;

    // Writes a configuration that saves PNG files into `folder`, starts Korvel.exe and waits until its
    // shortcuts are registered.
    bool Start(const std::wstring& folder);
    // Quit from the tray menu; Korvel's exit code, or -1.
    long Quit();
    // Ctrl + Alt + F until Korvel logs the saved file; its preview is closed again. -1 when it did not come.
    double ShortcutToPngMs();
    // Ctrl + Alt + A until the darkened still shows over a white window of this process; Esc closes the
    // overlay again. -1 when it did not show.
    double ShortcutToOverlayMs();

  private:
    void ReadNewLogBytes();
    bool LogHasGrownWith(const std::string& utf8Text);

    ChildProcess korvel_;
    HANDLE log_ = INVALID_HANDLE_VALUE;
    std::string unread_;
    HWND white_ = nullptr;
    POINT probe_ = {};
};
