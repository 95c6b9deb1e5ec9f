// A long run of the real Korvel.exe: many region, marked-up region, screen and window captures by shortcut,
// each preview closed again, then many previews opened ten at a time, copied and closed with their buttons.
// Korvel's committed memory and GDI objects are read before and after (and along the way), and at the end
// Korvel must still answer its shortcuts and its tray menu. Run it through scripts/soak.sh, which starts a
// Wine virtual desktop.
//   korvel_soak.exe [ROUNDS [PREVIEWS]]   one round is one capture of each kind; defaults 1000 and 300
// Exit code 0 when every step worked and nothing grew.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "config/config_text.h"
#include "e2e/desktop_probe.h"
#include "e2e/korvel_process.h"
#include "e2e/preview_buttons.h"
#include "support/process_probe.h"
#include "support/test_support.h"

namespace {

const wchar_t kSaveFolder[] = L"C:\\korvel-soak";
constexpr DWORD kStepTimeoutMs = 15000;
// A leak of a single screen-sized bitmap per capture would add gigabytes; this leaves room for the heap's
// own rounding and nothing more.
constexpr double kAllowedGrowthMiB = 4.0;

struct Footprint {
    double committedMiB = 0;
    double workingSetMiB = 0;
    long gdiObjects = -1;
};

// Read once Korvel has gone idle: a preview that has just been hidden may still be freeing its bitmaps.
Footprint Measure(HANDLE korvel) {
    WaitForInputIdle(korvel, 5000);
    Sleep(500);
    Footprint f;
    f.committedMiB = static_cast<double>(CommittedPrivateBytes(korvel)) / 1048576.0;
    f.workingSetMiB = static_cast<double>(WorkingSetBytes(korvel)) / 1048576.0;
    f.gdiObjects = GdiObjectsInUse(korvel);
    return f;
}

void PrintFootprint(const wchar_t* when, const Footprint& f) {
    std::wprintf(L"  %-28ls committed %8.1f MiB   working set %8.1f MiB   GDI objects %6ld\n", when,
                 f.committedMiB, f.workingSetMiB, f.gdiObjects);
    std::fflush(stdout);
}

int FilesIn(const std::wstring& folder, bool remove) {
    int count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.png").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        ++count;
        if (remove) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// Clicks a button of a preview like a person, but only where the preview itself shows: a click that would
// land on another window (one dragged over it, say) is not made, and the step counts as failed.
bool PressPreviewButton(HWND preview, int button) {
    const POINT at = ButtonCentre(preview, button);
    if (WindowFromPoint(at) != preview) {
        return false;
    }
    ClickAt(at.x, at.y);
    return true;
}

// Waits until the capture's preview shows, then closes it with its Close button. (Esc would do too, but in a
// long run the X keyboard focus can follow the pointer to another window now and then; the button cannot
// miss.)
bool PreviewShownThenClosed(size_t openBefore) {
    if (!WaitForPreviewCount(openBefore + 1, kStepTimeoutMs)) {
        return false;
    }
    return PressPreviewButton(VisiblePreviews().front(), kCloseButton) &&
           WaitForPreviewCount(openBefore, kStepTimeoutMs);
}

// After a step that failed: whatever it left open is closed, so the next step starts from a clean screen
// (the previews by WM_CLOSE, since one may lie where no click reaches it).
void CloseLeftovers() {
    if (FindWindowW(L"KorvelOverlay", nullptr) != nullptr) {
        PressKey(VK_ESCAPE);
        WaitForNoVisibleWindow(L"KorvelOverlay", kStepTimeoutMs);
    }
    for (HWND preview : VisiblePreviews()) {
        PostMessageW(preview, WM_CLOSE, 0, 0);
    }
    WaitForPreviewCount(0, kStepTimeoutMs);
}

// Ctrl + Alt + A, a drag from `from` to `to` over the overlay, Enter.
bool RegionCapture(POINT from, POINT to) {
    MovePointer(from.x - 40, from.y - 40);
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    if (WaitForVisibleWindow(L"KorvelOverlay", kStepTimeoutMs) == nullptr) {
        return false;
    }
    DragLeft(from.x, from.y, to.x, to.y);
    PressKey(VK_RETURN);
    return WaitForNoVisibleWindow(L"KorvelOverlay", kStepTimeoutMs);
}

// Ctrl + Alt + A and a selection, then a mark of every kind made with its key and the mouse (the text typed
// and ended with Esc), one of them undone, Enter: the overlay's marks, text box and cached drawing made and
// freed.
bool MarkupCapture() {
    MovePointer(260, 210);
    PressShortcut(MOD_CONTROL | MOD_ALT, 'A');
    if (WaitForVisibleWindow(L"KorvelOverlay", kStepTimeoutMs) == nullptr) {
        return false;
    }
    DragLeft(300, 250, 900, 650);
    const struct {
        WORD key;
        RECT drag;
    } drags[] = {{'R', {320, 270, 420, 340}}, {'E', {440, 270, 560, 340}}, {'A', {580, 330, 700, 280}},
                 {'P', {320, 400, 520, 430}}, {'H', {540, 400, 760, 400}}, {'M', {700, 500, 860, 620}}};
    for (const auto& d : drags) {
        PressKey(d.key);
        DragLeft(d.drag.left, d.drag.top, d.drag.right, d.drag.bottom);
    }
    PressKey('T');
    ClickAt(330, 480);
    Sleep(100); // the text box has the keys
    TypeText(L"soak 标注");
    PressKey(VK_ESCAPE);
    PressKey('N');
    ClickAt(360, 580);
    ClickAt(420, 580);
    PressShortcut(MOD_CONTROL, 'Z');
    PressKey(VK_RETURN);
    return WaitForNoVisibleWindow(L"KorvelOverlay", kStepTimeoutMs);
}

bool ShortcutCapture(WORD key) {
    MovePointer(960, 540);
    PressShortcut(MOD_CONTROL | MOD_ALT, key);
    return PreviewShownThenClosed(0);
}

// One step that worked, or one more failure; a failed step's leftovers are cleared for the next one.
bool Step(bool ok, int& failures) {
    if (!ok) {
        ++failures;
        CloseLeftovers();
    }
    return ok;
}

// Ten region captures whose previews stay open, then each, from the top one down, copied and closed with
// its buttons. Returns how many were opened, copied and closed.
int PreviewBatch(int size) {
    for (int i = 0; i < size; ++i) {
        const POINT from = {240 + 40 * i, 200 + 30 * i};
        int failed = 0;
        if (!Step(RegionCapture(from, POINT{from.x + 420, from.y + 300}) &&
                      WaitForPreviewCount(static_cast<size_t>(i) + 1, kStepTimeoutMs),
                  failed)) {
            return 0;
        }
    }
    int done = 0;
    for (std::vector<HWND> open = VisiblePreviews(); !open.empty(); open = VisiblePreviews()) {
        const DWORD clipboardBefore = GetClipboardSequenceNumber();
        const bool clicked = PressPreviewButton(open.front(), kCopyButton);
        for (int i = 0; clicked && i < 250 && GetClipboardSequenceNumber() == clipboardBefore; ++i) {
            Sleep(20);
        }
        const bool copied = GetClipboardSequenceNumber() != clipboardBefore;
        int failed = 0;
        if (!Step(copied && PressPreviewButton(open.front(), kCloseButton) &&
                      WaitForPreviewCount(open.size() - 1, kStepTimeoutMs),
                  failed)) {
            break;
        }
        ++done;
    }
    return done;
}

struct Tally {
    int regionFailed = 0;
    int markupFailed = 0;
    int screenFailed = 0;
    int windowFailed = 0;
    int saved = 0;
};

void CaptureRounds(int rounds, HANDLE korvel, Tally& tally) {
    for (int round = 1; round <= rounds; ++round) {
        Step(RegionCapture(POINT{300, 250}, POINT{700, 550}) && PreviewShownThenClosed(0),
             tally.regionFailed);
        Step(MarkupCapture() && PreviewShownThenClosed(0), tally.markupFailed);
        Step(ShortcutCapture('F'), tally.screenFailed);
        Step(ShortcutCapture('W'), tally.windowFailed);
        if (round % 50 == 0 || round == rounds) {
            tally.saved += FilesIn(kSaveFolder, true);
        }
        if (round % 100 == 0) {
            wchar_t when[64];
            std::swprintf(when, 64, L"after %d rounds:", round);
            PrintFootprint(when, Measure(korvel));
        }
    }
}

bool StartKorvel(ChildProcess& korvel) {
    ResetKorvelData();
    CreateDirectoryW(KorvelDataFolder().c_str(), nullptr);
    CreateDirectoryW(kSaveFolder, nullptr);
    FilesIn(kSaveFolder, true);
    AppConfig config = SampleConfig();
    config.saveDir = kSaveFolder;
    config.format = ImageFormat::Png;
    return WriteFileBytes(KorvelConfigPath(), "\xEF\xBB\xBF" + ToUtf8(SerializeConfig(config))) &&
           korvel.Start(SiblingProgram(L"Korvel.exe")) && WaitForHostWindow(60000) != nullptr &&
           WaitForLogLine(L"name=窗口", 10000);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? _wtoi(argv[1]) : 1000;
    const int previews = argc > 2 ? _wtoi(argv[2]) : 300;
    const ULONGLONG started = GetTickCount64();
    std::wprintf(L"Korvel soak: %d region, %d marked-up region, %d screen and %d window captures, then %d "
                 L"previews\n",
                 rounds, rounds, rounds, rounds, previews);

    ChildProcess korvel;
    ChildProcess pattern; // a window of another program for the window shortcut to take
    if (!StartKorvel(korvel) ||
        !pattern.Start(SiblingProgram(L"pattern_window.exe"), L"1000 120 640 420 framed")) {
        std::wprintf(L"Korvel or the pattern window did not start\n");
        return 1;
    }
    HANDLE probe = OpenProcess(kProcessProbeAccess | SYNCHRONIZE, FALSE, korvel.Id());
    Sleep(1000);

    // Warm-up: what Korvel makes once and keeps (GDI+ codecs, the clipboard's first use) is made here.
    Tally warmUp;
    CaptureRounds(5, probe, warmUp);
    PreviewBatch(10);
    FilesIn(kSaveFolder, true);
    const Footprint before = Measure(probe);
    PrintFootprint(L"before:", before);

    Tally tally;
    CaptureRounds(rounds, probe, tally);
    int previewsDone = 0;
    for (int batch = 0; batch < previews / 10; ++batch) {
        previewsDone += PreviewBatch(10);
    }
    FilesIn(kSaveFolder, true);
    const Footprint after = Measure(probe);
    PrintFootprint(L"after:", after);

    // Still answering: a shortcut gives a picture, and the tray menu's Quit ends Korvel with 0.
    const bool shortcutAnswers = ShortcutCapture('F') && FilesIn(kSaveFolder, true) == 1;
    const long exitCode = QuitThroughTrayMenu(korvel);
    CloseHandle(probe);

    const double growth = after.committedMiB - before.committedMiB;
    const long gdiGrowth = after.gdiObjects - before.gdiObjects;
    std::wprintf(
        L"\ncaptures that failed: region %d, marked-up region %d, screen %d, window %d; pictures saved %d "
        L"of %d\n",
        tally.regionFailed, tally.markupFailed, tally.screenFailed, tally.windowFailed, tally.saved,
        4 * rounds);
    std::wprintf(L"previews opened, copied and closed: %d of %d\n", previewsDone, previews);
    std::wprintf(L"committed memory growth %+.1f MiB (allowed %.1f), GDI objects growth %+ld (allowed 0)\n",
                 growth, kAllowedGrowthMiB, gdiGrowth);
    std::wprintf(
        L"at the end: the screen shortcut %ls, the tray menu's Quit ended Korvel with exit code %ld\n",
        shortcutAnswers ? L"saved a picture" : L"did NOT answer", exitCode);
    std::wprintf(L"duration: %.1f min\n", static_cast<double>(GetTickCount64() - started) / 60000.0);

    const bool ok = tally.regionFailed + tally.markupFailed + tally.screenFailed + tally.windowFailed == 0 &&
                    tally.saved == 4 * rounds && previewsDone == previews && before.gdiObjects > 0 &&
                    gdiGrowth <= 0 && growth <= kAllowedGrowthMiB && shortcutAnswers && exitCode == 0;
    std::wprintf(L"%ls\n", ok ? L"SOAK PASSED" : L"SOAK FAILED");
    return ok ? 0 : 1;
}
