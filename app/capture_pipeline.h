#pragma once
#include <cstdint>

enum class CaptureMode : int32_t { Region = 0, Screen = 1, Window = 2 };

// Takes one capture of the given kind, saves it and shows it; one capture at a time.
void RunCapture(CaptureMode mode);
