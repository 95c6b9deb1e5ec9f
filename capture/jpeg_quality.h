#pragma once
// The JPEG encoder's parameter block, kept out of image_save.h so that its users do not pull in GDI+.
#include <windows.h>

#include "capture/gdiplus_headers.h"

// The parameter block handed to the JPEG encoder. Its one parameter points at `quality`, so the record is
// neither copied nor moved: a copy would point back into the original.
struct JpegQualityParameters {
    JpegQualityParameters() = default;
    JpegQualityParameters(const JpegQualityParameters&) = delete;
    JpegQualityParameters& operator=(const JpegQualityParameters&) = delete;

    Gdiplus::EncoderParameters block = {};
    ULONG quality = 0;
};
// Fills `out` with exactly one EncoderQuality parameter of type LONG holding the quality clamped to 1..100.
void BuildJpegQualityParameters(int quality, JpegQualityParameters& out);
