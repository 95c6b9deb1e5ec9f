#pragma once
// The state of one region overlay, shared by all its windows through their user data.
#include <windows.h>

#include <vector>

#include "capture/captured_image.h"
#include "markup/markup_overlay.h"
#include "markup/markup_tools.h"
#include "overlay/selection_model.h"

struct OverlayState {
    const CapturedImage* source = nullptr; // the still, not owned
    HDC screenDc = nullptr;
    HDC stillDc = nullptr; // holds the still's bitmap while the overlay runs
    HDC dimDc = nullptr;   // holds dimBitmap
    HGDIOBJ stillDcOldBitmap = nullptr;
    HGDIOBJ dimDcOldBitmap = nullptr;
    HBITMAP dimBitmap = nullptr; // owned: the darkened still
    std::vector<HWND> windows;   // one per monitor, in enumeration order
    SelectionState model;        // the selection and the drag in progress
    bool loopDone = false;
    bool confirmed = false;
    bool cropOk = false;
    CapturedImage result;          // owned until handed to the caller
    HFONT font = nullptr;          // owned: the interface font at 12 points for the system DPI
    HCURSOR crossCursor = nullptr; // owned, or null (the system cross is shown instead)
    // One back buffer shared by all overlay windows.
    HDC backDc = nullptr;
    HBITMAP backBitmap = nullptr;
    HGDIOBJ backDcOldBitmap = nullptr;
    int32_t backWidth = 0;
    int32_t backHeight = 0;
    MarkupState markup; // the tools, the marks and the strip's state
    MarkupUi markupUi;  // what the marks' drawing and the text box hold
};
