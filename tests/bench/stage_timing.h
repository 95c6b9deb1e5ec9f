#pragma once
// Where the time of a shortcut goes inside the capture pipeline: this process registers the shortcuts itself,
// presses them with SendInput and runs the same pipeline code as Korvel.exe, with each step timed.

// Milliseconds from the key press; the stages add up to `total`.
struct ScreenStages {
    double hotkey = 0;  // key press until WM_HOTKEY is handled
    double pause = 0;   // the pause that lets a hidden toolbar leave the screen
    double capture = 0; // the monitor copied into a bitmap
    double save = 0;    // GDI+ encodes and writes the PNG
    double rest = 0;    // log lines and the steps between
    double total = 0;   // until the "saved" log line is written
    double preview = 0; // then: the preview made (scaled to the work area) and shown
};

struct OverlayStages {
    double hotkey = 0;
    double pause = 0;
    double still = 0;   // the virtual screen copied into the still
    double prepare = 0; // the still darkened, DCs, cursor and font made, monitors listed
    double windows = 0; // the overlay windows created and shown, until their first paint begins
    double paint = 0;   // the first paint of the overlay
    double total = 0;   // until that paint has ended
};

// Registers Ctrl + Alt + A and Ctrl + Alt + F for this process while it lives; Korvel.exe must not run.
class StagedPipeline {
  public:
    StagedPipeline();
    ~StagedPipeline();
    StagedPipeline(const StagedPipeline&) = delete;
    StagedPipeline& operator=(const StagedPipeline&) = delete;

    bool Ready() const { return window_ != nullptr; }
    // One screen capture saved as PNG into `folder`; false when it did not run through.
    bool TimeScreenCapture(const wchar_t* folder, ScreenStages& stages);
    // One region overlay, cancelled as soon as it has painted.
    bool TimeRegionOverlay(OverlayStages& stages);

  private:
    void* window_ = nullptr;
};
