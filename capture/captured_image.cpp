#include "capture/captured_image.h"

void ReleaseCapturedImage(CapturedImage& image) {
    if (image.bitmap != nullptr) {
        DeleteObject(image.bitmap);
        image.bitmap = nullptr;
    }
    image.width = 0;
    image.height = 0;
}

void EmptyCapturedImage(CapturedImage& image) {
    ReleaseCapturedImage(image);
    image = CapturedImage();
}
