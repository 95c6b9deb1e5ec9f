#pragma once
// The box in which a text mark is typed: a real multi-line EDIT control, so that an input method can compose
// Chinese or Japanese in it, a child of the overlay window that was pressed. It types in the very font and
// colour the mark is drawn in, its text's top-left corner where the mark's will be, and grows with its text.
// Enter makes a new line; Esc and Ctrl+Enter send kTextBoxDoneMessage to the overlay window; more than
// kMaxTextLength characters are refused with a beep.
#include <windows.h>

#include <string>

#include "markup/markup_model.h"

// Posted to the box's overlay window when Esc or Ctrl+Enter ends the box.
constexpr UINT kTextBoxDoneMessage = WM_APP + 40;

struct TextBox {
    HWND window = nullptr;       // the EDIT control; destroyed with the overlay window at the latest
    HFONT font = nullptr;        // owned
    HBRUSH background = nullptr; // owned
    COLORREF textColour = 0;
    COLORREF backColour = 0;
    int offsetX = 0; // from the box's top-left corner to where its text starts, in its parent's coordinates
    int offsetY = 0;
};

// Opens the box over `parent` for the pending text mark and gives it the keyboard focus; false (logged) when
// the control could not be made.
bool OpenTextBox(TextBox& box, HWND parent, const Mark& pending);
// What the box holds now.
std::wstring TextBoxText(const TextBox& box);
// Sizes the box to its text (at least a few characters wide, one line high).
void FitTextBox(const TextBox& box);
// Destroys the box (when its parent still exists) and frees its font and brush.
void CloseTextBox(TextBox& box);
// WM_CTLCOLOREDIT of the overlay window: the box's colours and its background brush, or null for any other
// control.
HBRUSH TextBoxColours(const TextBox& box, HDC dc, HWND control);
