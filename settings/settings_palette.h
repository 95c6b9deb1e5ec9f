#pragma once
// The settings window's colours.
#include <windows.h>

constexpr COLORREF kBackgroundColor = RGB(0x1C, 0x20, 0x28);
constexpr COLORREF kPanelColor = RGB(0x26, 0x2C, 0x36);
constexpr COLORREF kTextColor = RGB(0xF5, 0xF7, 0xFA);
constexpr COLORREF kMutedTextColor = RGB(0xA8, 0xB0, 0xBC);
constexpr COLORREF kBorderColor = RGB(0x46, 0x4C, 0x58);
constexpr COLORREF kAccentColor = RGB(0x2E, 0x78, 0xDC);
constexpr COLORREF kAccentHoverColor = RGB(0x46, 0x8C, 0xE6);
constexpr COLORREF kHoverColor = RGB(0x37, 0x3E, 0x4A);
constexpr COLORREF kCloseHoverColor = RGB(0xC4, 0x2B, 0x1C);
constexpr COLORREF kRecordingColor = RGB(0x20, 0x30, 0x48);
constexpr COLORREF kWhiteColor = RGB(0xFF, 0xFF, 0xFF);
