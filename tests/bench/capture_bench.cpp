// Measures the capture path on this machine and prints a table: capture and encoding in this process, the
// real Korvel.exe's shortcut-to-PNG and shortcut-to-overlay times, one overlay repaint (also over 100 marks),
// a marked region's way to its PNG, and where the time of a shortcut goes step by step. (Memory and GDI
// objects over thousands of captures are the soak's: scripts/soak.sh.) Run it through scripts/bench.sh, which
// starts screens of 1920 x 1080 and 3840 x 2160 in Wine virtual desktops.
//   korvel_bench.exe [RESULTS.tsv]            every row is also appended there, for the joint table
//   korvel_bench.exe --first-overlay FILE     one process's first and second overlay, step by step
//   korvel_bench.exe --first-overlay-warm FILE  the same after one pixel copied from the screen and blended
//   korvel_bench.exe --first-prepare FILE     one process's overlay preparation twice, call by call
//   korvel_bench.exe --markup [RESULTS.tsv]   only the repaint and marked-region rows, for a quick look
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/gdiplus_session.h"
#include "bench/bench_table.h"
#include "bench/korvel_timing.h"
#include "bench/markup_bench.h"
#include "bench/stage_timing.h"
#include "capture/image_save.h"
#include "capture/screen_capture.h"
#include "log/log.h"
#include "markup/mark_layer.h"
#include "overlay/overlay_paint.h"
#include "overlay/region_overlay.h"
#include "text/font.h"

namespace {

constexpr int kRuns = 30;
constexpr int kFirstOverlayProcesses = 30; // fresh Korvel.exe, each timed on its first overlay
constexpr int kProbeProcesses = 10;        // fresh processes of this program for the step-by-step rows

std::wstring TempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void DeleteFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void CaptureAndEncodeRows(ResultTable& table, const std::wstring& folder) {
    CapturedImage image;
    table.Row("capture the virtual screen (in process)", Measure(kRuns, [&] {
                  CaptureVirtualScreen(image);
                  ReleaseCapturedImage(image);
              }));
    table.Row("capture the monitor (in process)", Measure(kRuns, [&] {
                  CaptureMonitorUnderCursor(image);
                  ReleaseCapturedImage(image);
              }));
    CaptureMonitorUnderCursor(image);
    table.Row("encode PNG (in process)",
              Measure(kRuns, [&] { SaveBitmapToFile(image.bitmap, folder + L"\\b.png", 0, 90); }));
    table.Row("encode JPEG at quality 90 (in process)",
              Measure(kRuns, [&] { SaveBitmapToFile(image.bitmap, folder + L"\\b.jpg", 1, 90); }));
    ReleaseCapturedImage(image);

    // What fresh memory costs on this machine, for the screen's size of 32-bit pixels: the first touch of
    // each page against touching the same pages again.
    const size_t bytes = static_cast<size_t>(GetSystemMetrics(SM_CXVIRTUALSCREEN)) *
                         static_cast<size_t>(GetSystemMetrics(SM_CYVIRTUALSCREEN)) * 4;
    std::vector<double> fresh, again;
    for (int i = 0; i < kRuns; ++i) {
        void* block = VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (block == nullptr) {
            continue;
        }
        double start = NowMs();
        std::memset(block, 1, bytes);
        fresh.push_back(NowMs() - start);
        start = NowMs();
        std::memset(block, 2, bytes);
        again.push_back(NowMs() - start);
        VirtualFree(block, 0, MEM_RELEASE);
    }
    table.Row("fill a screen-sized block of fresh memory (in process)", Summarise(fresh));
    table.Row("fill the same block again (in process)", Summarise(again));
}

// The real program: the first overlay of each of several fresh processes, then, in the last one, the
// following overlays and the shortcut-to-PNG times.
void KorvelRows(ResultTable& table, const std::wstring& folder) {
    std::vector<double> first, following, png;
    for (int process = 0; process < kFirstOverlayProcesses; ++process) {
        KorvelForBench korvel;
        if (!korvel.Start(folder)) {
            std::printf("Korvel.exe did not start\n");
            return;
        }
        first.push_back(korvel.ShortcutToOverlayMs());
        if (process + 1 < kFirstOverlayProcesses) {
            continue;
        }
        for (int i = 0; i < kRuns; ++i) {
            following.push_back(korvel.ShortcutToOverlayMs());
        }
        for (int i = 0; i < kRuns; ++i) {
            png.push_back(korvel.ShortcutToPngMs());
            DeleteFilesIn(folder);
        }
    }
    table.Row("Korvel.exe: shortcut to complete PNG on disk", Summarise(png));
    table.Row("Korvel.exe: region shortcut to overlay, first of a process", Summarise(first));
    table.Row("Korvel.exe: region shortcut to overlay, following ones", Summarise(following));
}

OverlayState* benchOverlay = nullptr;

LRESULT CALLBACK BenchOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && benchOverlay != nullptr) {
        PaintOverlay(window, *benchOverlay);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

constexpr int kSelectionDrag = -1;

// One full paint of an overlay window covering the screen, during a drag, as on each pointer move: the
// magnifier follows the pointer on every paint. With kSelectionDrag the selection grows; otherwise a
// rectangle mark grows over a selection that holds `marks` committed marks, with the strip shown.
Timing MeasureOverlayPaint(int width, int height, int marks) {
    CapturedImage still;
    Timing timing;
    if (!CaptureVirtualScreen(still)) {
        return timing;
    }
    OverlayState state;
    if (PrepareOverlayDrawing(state, still)) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = BenchOverlayProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KorvelBenchOverlay";
        RegisterClassW(&windowClass);
        HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, windowClass.lpszClassName, L"",
                                      WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                      windowClass.hInstance, nullptr);
        benchOverlay = &state;
        state.model.hasSelection = true;
        const bool selecting = marks == kSelectionDrag;
        if (selecting) {
            state.model.dragging = true;
            state.model.dragKind = DragKind::NewRect;
        } else {
            state.model.selection = Rect{40, 40, width - 40, height - 40};
            for (Mark& mark : BenchMarks(state.model.selection, marks)) {
                AddMark(state.markup.history, std::move(mark));
            }
            SyncMarkLayer(state.markupUi.layer, state.markup.history, state.stillDc, state.model.bounds);
            state.markup.tool = Tool::Rectangle;
            state.markup.drawing = true;
            state.markup.pending.kind = MarkKind::Rectangle;
            state.markup.pending.size = 4;
            state.markup.pending.from = Point{100, 100};
        }
        int step = 0;
        timing = Measure(120, [&] {
            ++step;
            const Point pointer{200 + (step * 13) % (width - 500), 150 + (step * 7) % (height - 400)};
            state.model.pointer = pointer;
            if (selecting) {
                state.model.selection = Rect{100, 100, pointer.x, pointer.y};
            } else {
                state.markup.pending.to = pointer;
            }
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window); // paints now, synchronously
            GdiFlush();
        });
        benchOverlay = nullptr;
        DestroyWindow(window);
    }
    ReleaseOverlayResources(state);
    ReleaseCapturedImage(still);
    return timing;
}

void RepaintAndMarkupRows(ResultTable& table, int width, int height, const std::wstring& folder) {
    table.Row("overlay repaint during a drag, with magnifier",
              MeasureOverlayPaint(width, height, kSelectionDrag));
    table.Row("overlay repaint during a shape drag, no marks", MeasureOverlayPaint(width, height, 0));
    table.Row("overlay repaint during a shape drag, 100 marks", MeasureOverlayPaint(width, height, 100));
    table.Row("region confirmed to PNG on disk (in process), no marks", MeasureConfirmToPng(0, folder));
    table.Row("region confirmed to PNG on disk (in process), 100 marks", MeasureConfirmToPng(100, folder));
}

const char* const kOverlayStageNames[] = {"key press to WM_HOTKEY handled",
                                          "log line and the pause before the still",
                                          "capture of the still",
                                          "darken the still, DCs, cursor, font, monitor list",
                                          "create and show the windows, to first paint",
                                          "first paint of the overlay",
                                          "total: key press to first paint done"};

constexpr int kStages = 7;
constexpr int kStill = 2;
constexpr int kPrepare = 3;

std::vector<double> StageValues(const OverlayStages& s) {
    return {s.hotkey, s.pause, s.still, s.prepare, s.windows, s.paint, s.total};
}

// One pixel copied from the screen and blended once: whatever the system sets up on the first screen copy and
// the first blend of a process is then done before the overlay.
void CopyAndBlendOnePixel() {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP pixel = CreateCompatibleBitmap(screen, 1, 1);
    HGDIOBJ previous = SelectObject(memory, pixel);
    BitBlt(memory, 0, 0, 1, 1, screen, 0, 0, SRCCOPY | CAPTUREBLT);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 128, 0};
    AlphaBlend(memory, 0, 0, 1, 1, memory, 0, 0, 1, 1, blend);
    SelectObject(memory, previous);
    DeleteObject(pixel);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Run as a process of its own: its first overlay and its second, one line each in `file`; with `warm`, one
// pixel is copied and blended first.
int FirstOverlayChild(const wchar_t* file, bool warm) {
    StagedPipeline pipeline;
    if (warm) {
        CopyAndBlendOnePixel();
    }
    OverlayStages first, second;
    if (!pipeline.Ready() || !pipeline.TimeRegionOverlay(first) || !pipeline.TimeRegionOverlay(second)) {
        return 1;
    }
    FILE* out = nullptr;
    if (_wfopen_s(&out, file, L"a") != 0 || out == nullptr) {
        return 1;
    }
    for (const OverlayStages* s : {&first, &second}) {
        for (double value : StageValues(*s)) {
            std::fprintf(out, "%.2f ", value);
        }
        std::fprintf(out, "\n");
    }
    std::fclose(out);
    return 0;
}

const char* const kPrepareStepNames[] = {"darkened copy of the still", "white cross cursor", "interface font",
                                         "monitor list"};
constexpr int kPrepareSteps = 4;

BOOL CALLBACK CountMonitor(HMONITOR, HDC, LPRECT, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Run as a process of its own: the calls that prepare an overlay, each timed, for a first and a second
// overlay of the process, one line each in `file`. Tells which of them carries the first overlay's extra
// time.
int FirstPrepareChild(const wchar_t* file) {
    CapturedImage still;
    if (!CaptureVirtualScreen(still)) {
        return 1;
    }
    FILE* out = nullptr;
    if (_wfopen_s(&out, file, L"a") != 0 || out == nullptr) {
        ReleaseCapturedImage(still);
        return 1;
    }
    for (int round = 0; round < 2; ++round) {
        HDC screen = GetDC(nullptr);
        double marks[kPrepareSteps + 1];
        marks[0] = NowMs();
        HBITMAP dimmed = CreateDimmedBitmap(screen, still.bitmap, still.width, still.height);
        marks[1] = NowMs();
        HCURSOR cross = CreateWhiteCrossCursor();
        marks[2] = NowMs();
        HFONT font = CreateInterfaceFont(static_cast<int>(GetDpiForSystem()), 12);
        marks[3] = NowMs();
        int monitors = 0;
        EnumDisplayMonitors(nullptr, nullptr, CountMonitor, reinterpret_cast<LPARAM>(&monitors));
        marks[4] = NowMs();
        for (int step = 0; step < kPrepareSteps; ++step) {
            std::fprintf(out, "%.2f ", marks[step + 1] - marks[step]);
        }
        std::fprintf(out, "\n");
        DeleteObject(dimmed);
        if (cross != nullptr) {
            DestroyCursor(cross);
        }
        DeleteObject(font);
        ReleaseDC(nullptr, screen);
    }
    std::fclose(out);
    ReleaseCapturedImage(still);
    return 0;
}

using StageSamples = std::vector<std::vector<double>>; // per stage, the samples

// Runs several fresh processes of this program in `mode`; each appends two lines of `count` numbers (its
// first and its second round) to a file, read back here per column.
void ChildSamples(const std::wstring& folder, const wchar_t* mode, int count, StageSamples& first,
                  StageSamples& second) {
    const std::wstring file = folder + L"\\child-samples.txt";
    DeleteFileW(file.c_str());
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int i = 0; i < kProbeProcesses; ++i) {
        std::wstring command = L"\"" + std::wstring(self) + L"\" " + mode + L" \"" + file + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child = {};
        if (CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &child)) {
            WaitForSingleObject(child.hProcess, 60000);
            CloseHandle(child.hProcess);
            CloseHandle(child.hThread);
        }
    }
    FILE* in = nullptr;
    if (_wfopen_s(&in, file.c_str(), L"r") != 0 || in == nullptr) {
        return;
    }
    std::vector<double> values(count);
    for (int line = 0;; ++line) {
        int read = 0;
        for (double& value : values) {
            read += std::fscanf(in, "%lf", &value);
        }
        if (read != count) {
            break;
        }
        for (int s = 0; s < count; ++s) {
            (line % 2 == 0 ? first : second)[s].push_back(values[s]);
        }
    }
    std::fclose(in);
    DeleteFileW(file.c_str());
}

// Where the time of a shortcut goes: the same pipeline code in this process, each step timed.
void StageRows(ResultTable& table, const std::wstring& folder) {
    StageSamples first(kStages), warmFirst(kStages), following(kStages);
    ChildSamples(folder, L"--first-overlay", kStages, first, following);
    StageSamples warmSecond(kStages);
    ChildSamples(folder, L"--first-overlay-warm", kStages, warmFirst, warmSecond);
    // The same with the C library of Wine's Unix side told never to keep a freed large block for reuse: if
    // the second overlay then takes as long as the first, the first one's extra time is the first touch of
    // fresh memory for the screen-sized buffers, not work of its own.
    StageSamples freshFirst(kStages), freshSecond(kStages);
    SetEnvironmentVariableW(L"GLIBC_TUNABLES", L"glibc.malloc.mmap_threshold=131072");
    ChildSamples(folder, L"--first-overlay", kStages, freshFirst, freshSecond);
    SetEnvironmentVariableW(L"GLIBC_TUNABLES", nullptr);
    StagedPipeline pipeline;
    for (int i = 0; i < kRuns; ++i) {
        OverlayStages stages;
        if (pipeline.TimeRegionOverlay(stages)) {
            const std::vector<double> values = StageValues(stages);
            for (int s = 0; s < kStages; ++s) {
                following[s].push_back(values[s]);
            }
        }
    }
    for (int s = 0; s < kStages; ++s) {
        table.Row((std::string("overlay, first of a process: ") + kOverlayStageNames[s]).c_str(),
                  Summarise(first[s]));
        if (s == kStill || s == kPrepare || s == kStages - 1) {
            table.Row(
                (std::string("overlay, first, after one pixel copied and blended: ") + kOverlayStageNames[s])
                    .c_str(),
                Summarise(warmFirst[s]));
        }
        table.Row((std::string("overlay, following ones: ") + kOverlayStageNames[s]).c_str(),
                  Summarise(following[s]));
        if (s == kStill || s == kPrepare || s == kStages - 1) {
            table.Row(
                (std::string("overlay, first, no freed block reused: ") + kOverlayStageNames[s]).c_str(),
                Summarise(freshFirst[s]));
            table.Row(
                (std::string("overlay, second, no freed block reused: ") + kOverlayStageNames[s]).c_str(),
                Summarise(freshSecond[s]));
        }
    }

    StageSamples prepareFirst(kPrepareSteps), prepareSecond(kPrepareSteps);
    ChildSamples(folder, L"--first-prepare", kPrepareSteps, prepareFirst, prepareSecond);
    for (int s = 0; s < kPrepareSteps; ++s) {
        table.Row((std::string("overlay preparation, first of a process: ") + kPrepareStepNames[s]).c_str(),
                  Summarise(prepareFirst[s]));
        table.Row((std::string("overlay preparation, second: ") + kPrepareStepNames[s]).c_str(),
                  Summarise(prepareSecond[s]));
    }

    std::vector<double> hotkey, pause, capture, save, rest, total, preview;
    for (int i = 0; i < kRuns; ++i) {
        ScreenStages stages;
        if (pipeline.TimeScreenCapture(folder.c_str(), stages)) {
            hotkey.push_back(stages.hotkey);
            pause.push_back(stages.pause);
            capture.push_back(stages.capture);
            save.push_back(stages.save);
            rest.push_back(stages.rest);
            total.push_back(stages.total);
            preview.push_back(stages.preview);
        }
        DeleteFilesIn(folder);
    }
    table.Row("screen to PNG: key press to WM_HOTKEY handled", Summarise(hotkey));
    table.Row("screen to PNG: pause for the toolbar", Summarise(pause));
    table.Row("screen to PNG: capture of the monitor", Summarise(capture));
    table.Row("screen to PNG: PNG encoding and writing", Summarise(save));
    table.Row("screen to PNG: log lines and the steps between", Summarise(rest));
    table.Row("screen to PNG: total, key press to the saved line", Summarise(total));
    table.Row("screen to PNG: then the preview made and shown", Summarise(preview));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    StartGdiplus();
    const std::wstring folder = TempFolder(L"korvel-bench");
    // Log lines are written to a file, as Korvel.exe writes them, so their cost is part of the steps.
    InitLogInFolder(TempFolder(L"korvel-bench-log"));
    if (argc > 2 &&
        (std::wstring(argv[1]) == L"--first-overlay" || std::wstring(argv[1]) == L"--first-overlay-warm")) {
        const int code = FirstOverlayChild(argv[2], std::wstring(argv[1]) == L"--first-overlay-warm");
        StopGdiplus();
        return code;
    }
    if (argc > 2 && std::wstring(argv[1]) == L"--first-prepare") {
        const int code = FirstPrepareChild(argv[2]);
        StopGdiplus();
        return code;
    }
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (argc > 1 && std::wstring(argv[1]) == L"--markup") {
        ResultTable table(argc > 2 ? argv[2] : L"");
        table.Heading("Repaint and marked regions (times in ms)");
        RepaintAndMarkupRows(table, width, height, folder);
        DeleteFilesIn(folder);
        StopGdiplus();
        return 0;
    }
    ResultTable table(argc > 1 ? argv[1] : L"");
    char heading[128];
    std::snprintf(heading, sizeof heading, "Screen %d x %d (times in ms)", width, height);
    table.Heading(heading);

    CaptureAndEncodeRows(table, folder);
    DeleteFilesIn(folder);
    KorvelRows(table, folder);
    DeleteFilesIn(folder);
    RepaintAndMarkupRows(table, width, height, folder);
    table.Heading("Where the time goes (the same pipeline code in this process, each step timed)");
    StageRows(table, folder);
    DeleteFilesIn(folder);
    StopGdiplus();
    return 0;
}
