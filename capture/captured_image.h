#pragma once
// The one value every capture produces: a screen-compatible bitmap and where its top-left pixel was taken.
#include <windows.h>

#include <cstdint>

struct CapturedImage {
    HBITMAP bitmap = nullptr; // owned; never left selected into a DC; null means empty
    int32_t width = 0;
    int32_t height = 0;
    int32_t originX = 0; // virtual-screen x of the left column (negative left of the primary monitor)
    int32_t originY = 0;
};

// Deletes the bitmap if there is one and clears the handle, width and height (the origin stays).
void ReleaseCapturedImage(CapturedImage& image);
// Releases the bitmap and zeroes every field. Every capture operation starts with it on its output, so that a
// record handed in still holding a bitmap does not leak it.
void EmptyCapturedImage(CapturedImage& image);
