#include "settings/settings_layout.h"

#include <algorithm>

#include "base/dpi_scale.h"

namespace {

constexpr int32_t kCaptionAt96 = 40;
constexpr int32_t kNavigationAt96 = 44;
constexpr int32_t kMarginAt96 = 20;
constexpr int32_t kRowAt96 = 34;
constexpr int32_t kGapAt96 = 12;
constexpr int32_t kRadioWidthAt96 = 120;
constexpr int32_t kSecondRadioOffsetAt96 = 132;
constexpr int32_t kSliderInsetAt96 = 4;     // below the row's top
constexpr int32_t kSliderHeightCutAt96 = 8; // less than the row's height
constexpr int32_t kSliderRoomAt96 = 56;     // left beside the slider for the number
constexpr int32_t kQualityNumberWidthAt96 = 48;
constexpr int32_t kBrowseWidthAt96 = 104;
constexpr int32_t kLanguageRowAt96 = 40;
constexpr int32_t kAboutTitleHeightAt96 = 32;
constexpr int32_t kAboutTextPaddingAt96 = 8;
constexpr int32_t kButtonWidthAt96 = 116;
constexpr int32_t kButtonHeightAt96 = 34;

// A control at (x, y) of w x h; windows are never made smaller than 1 x 1.
ControlPlace Place(int id, int32_t x, int32_t y, int32_t w, int32_t h) {
    return ControlPlace{id, Rect{x, y, x + std::max<int32_t>(1, w), y + std::max<int32_t>(1, h)}};
}

// A measured text height, never below one line (nor below one pixel).
int32_t TextHeight(int32_t measuredBottom, int32_t lineHeight) {
    return std::max(lineHeight, std::max<int32_t>(1, measuredBottom));
}

} // namespace

Rect SettingsLayout::Find(int id) const {
    for (const ControlPlace& place : controls) {
        if (place.id == id) {
            return place.rect;
        }
    }
    return Rect{};
}

SettingsMetrics SettingsMetricsForDpi(int32_t dpi) {
    SettingsMetrics m;
    m.caption = ScaleForDpi(kCaptionAt96, dpi);
    m.navigation = ScaleForDpi(kNavigationAt96, dpi);
    m.margin = ScaleForDpi(kMarginAt96, dpi);
    m.row = ScaleForDpi(kRowAt96, dpi);
    m.gap = ScaleForDpi(kGapAt96, dpi);
    return m;
}

int32_t SettingsFullWidth(int32_t clientWidth, int32_t dpi) {
    return std::max<int32_t>(1, clientWidth - 2 * SettingsMetricsForDpi(dpi).margin);
}

SettingsLayout ComputeSettingsLayout(int32_t clientWidth, int32_t dpi, SettingsPage page,
                                     const SettingsTextMeasures& measures) {
    const SettingsMetrics m = SettingsMetricsForDpi(dpi);
    auto s = [dpi](int32_t value) { return ScaleForDpi(value, dpi); };
    const int32_t W = clientWidth;
    const int32_t L = measures.labelWidth;
    const int32_t F = L + 2 * m.margin;
    const int32_t FW = std::max<int32_t>(1, W - F - m.margin);
    const int32_t fullWidth = SettingsFullWidth(W, dpi);
    const int32_t pageTop = m.caption + m.navigation + m.gap;

    SettingsLayout layout;
    for (int i = 0; i < kSettingsControlCount; ++i) {
        layout.controls[static_cast<size_t>(i)].id = kSettingsControlIds[i];
    }
    auto place = [&layout](const ControlPlace& where) {
        for (ControlPlace& slot : layout.controls) {
            if (slot.id == where.id) {
                slot = where;
            }
        }
    };

    // General: six rows of a label and its field.
    auto rowTop = [&](int32_t k) { return pageTop + k * (m.row + m.gap); };
    const int labels[] = {kRegionLabelId, kScreenLabelId,  kWindowLabelId,
                          kFormatLabelId, kQualityLabelId, kFolderLabelId};
    for (int32_t k = 0; k < 6; ++k) {
        place(Place(labels[k], m.margin, rowTop(k), L, m.row));
    }
    for (int32_t k = 0; k < kRecorderCount; ++k) {
        place(Place(kRegionRecorderId + k, F, rowTop(k), FW, m.row));
    }
    place(Place(kPngRadioId, F, rowTop(3), s(kRadioWidthAt96), m.row));
    place(Place(kJpegRadioId, F + s(kSecondRadioOffsetAt96), rowTop(3), s(kRadioWidthAt96), m.row));
    const int32_t numberWidth = s(kQualityNumberWidthAt96);
    place(Place(kQualitySliderId, F, rowTop(4) + s(kSliderInsetAt96), FW - s(kSliderRoomAt96),
                m.row - s(kSliderHeightCutAt96)));
    place(Place(kQualityNumberId, F + FW - numberWidth, rowTop(4), numberWidth, m.row));
    const int32_t browseWidth = s(kBrowseWidthAt96);
    place(Place(kPathEditId, F, rowTop(5), FW - browseWidth - m.gap, m.row));
    place(Place(kBrowseButtonId, F + FW - browseWidth, rowTop(5), browseWidth, m.row));

    const int32_t hintHeight = TextHeight(measures.hintBottom, measures.lineHeight);
    const int32_t generalHintTop = rowTop(5) + m.row + m.gap;

    // Language: four radios, one under the other.
    const int32_t languageRow = s(kLanguageRowAt96);
    for (int32_t i = 0; i < kLanguageRadioCount; ++i) {
        place(Place(kFirstLanguageRadioId + i, m.margin, pageTop + i * (languageRow + m.gap), fullWidth,
                    languageRow));
    }
    const int32_t languageHintTop = pageTop + kLanguageRadioCount * (languageRow + m.gap);

    // About: the title and the text, as tall as the text needs.
    const int32_t titleHeight = s(kAboutTitleHeightAt96);
    place(Place(kAboutTitleId, m.margin, pageTop, fullWidth, titleHeight));
    const int32_t aboutHeight =
        TextHeight(measures.aboutBottom, measures.lineHeight) + s(kAboutTextPaddingAt96);
    const int32_t aboutTop = pageTop + titleHeight + m.gap;
    place(Place(kAboutTextId, m.margin, aboutTop, fullWidth, aboutHeight));

    const int32_t hintTop = page == SettingsPage::Language ? languageHintTop : generalHintTop;
    place(Place(kHintId, m.margin, hintTop, fullWidth, hintHeight));
    switch (page) {
    case SettingsPage::Language:
        layout.contentBottom = languageHintTop + hintHeight;
        break;
    case SettingsPage::About:
        layout.contentBottom = aboutTop + aboutHeight;
        break;
    default:
        layout.contentBottom = generalHintTop + hintHeight;
        break;
    }

    // OK and Cancel at the bottom right, under the page's content.
    const int32_t buttonWidth = s(kButtonWidthAt96);
    const int32_t buttonHeight = s(kButtonHeightAt96);
    layout.buttonTop = layout.contentBottom + m.gap;
    place(Place(kCancelButtonId, W - buttonWidth - m.margin, layout.buttonTop, buttonWidth, buttonHeight));
    place(Place(kOkButtonId, W - 2 * buttonWidth - m.gap - m.margin, layout.buttonTop, buttonWidth,
                buttonHeight));
    layout.clientHeight = layout.buttonTop + buttonHeight + m.gap;
    return layout;
}

Rect CaptionBoxRect(int32_t clientWidth, int32_t dpi, int32_t box) {
    const int32_t C = SettingsMetricsForDpi(dpi).caption;
    const int32_t right = box == kCloseBox ? clientWidth : clientWidth - C;
    return Rect{right - C, 0, right, C};
}

namespace {
bool Contains(const Rect& r, const Point& p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
} // namespace

int32_t CaptionBoxAt(int32_t clientWidth, int32_t dpi, const Point& point) {
    if (Contains(CaptionBoxRect(clientWidth, dpi, kCloseBox), point)) {
        return kCloseBox;
    }
    if (Contains(CaptionBoxRect(clientWidth, dpi, kMinimiseBox), point)) {
        return kMinimiseBox;
    }
    return 0;
}

Rect NavTabRect(int32_t clientWidth, int32_t dpi, int32_t index) {
    const SettingsMetrics m = SettingsMetricsForDpi(dpi);
    return Rect{index * clientWidth / kSettingsPageCount, m.caption,
                (index + 1) * clientWidth / kSettingsPageCount, m.caption + m.navigation};
}

int32_t NavTabAt(int32_t clientWidth, int32_t dpi, const Point& point) {
    if (clientWidth <= 0) {
        return -1;
    }
    for (int32_t i = 0; i < kSettingsPageCount; ++i) {
        if (Contains(NavTabRect(clientWidth, dpi, i), point)) {
            return i;
        }
    }
    return -1;
}

Rect PathTextRect(int32_t width, int32_t height, int32_t textHeight) {
    // Unscaled pixels: the field's own inner padding.
    return Rect{8, std::max<int32_t>(0, (height - textHeight) / 2), std::max<int32_t>(9, width - 4), height};
}

Point CentreInWorkArea(const Rect& workArea, int32_t width, int32_t height) {
    const int32_t dx = (workArea.Width() - width) / 2;
    const int32_t dy = (workArea.Height() - height) / 2;
    return Point{workArea.left + (dx > 0 ? dx : 0), workArea.top + (dy > 0 ? dy : 0)};
}
