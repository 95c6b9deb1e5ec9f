#pragma once
// The settings window's pages and the ids of its child controls. Other files (layout, drawing, apply) and
// the tests find the controls by these ids.
#include <cstdint>

enum class SettingsPage : int32_t { General = 0, Language = 1, About = 2 };
constexpr int32_t kSettingsPageCount = 3;

// Labels of the General page, in the order of texts 4 to 9.
constexpr int kRegionLabelId = 2100;
constexpr int kScreenLabelId = 2101;
constexpr int kWindowLabelId = 2102;
constexpr int kFormatLabelId = 2103;
constexpr int kQualityLabelId = 2104;
constexpr int kFolderLabelId = 2105;
constexpr int kHintId = 2106;
constexpr int kQualityNumberId = 2107;
// The three shortcut boxes: region, screen, window.
constexpr int kRegionRecorderId = 2200;
constexpr int kScreenRecorderId = 2201;
constexpr int kWindowRecorderId = 2202;
constexpr int kRecorderCount = 3;
constexpr int kPngRadioId = 2300;
constexpr int kJpegRadioId = 2301;
constexpr int kQualitySliderId = 2302;
constexpr int kPathEditId = 2303;
constexpr int kBrowseButtonId = 2304;
constexpr int kOkButtonId = 2305;
constexpr int kCancelButtonId = 2306;
// The four language radios: 2400 + the UiLanguage number.
constexpr int kFirstLanguageRadioId = 2400;
constexpr int kLanguageRadioCount = 4;
constexpr int kAboutTitleId = 2410;
constexpr int kAboutTextId = 2411;

constexpr bool IsLanguageRadioId(int id) {
    return id >= kFirstLanguageRadioId && id < kFirstLanguageRadioId + kLanguageRadioCount;
}
constexpr bool IsRadioId(int id) {
    return id == kPngRadioId || id == kJpegRadioId || IsLanguageRadioId(id);
}

// Every child in creation order, which is also the Tab order.
constexpr int kSettingsControlIds[] = {kRegionLabelId,
                                       kScreenLabelId,
                                       kWindowLabelId,
                                       kFormatLabelId,
                                       kQualityLabelId,
                                       kFolderLabelId,
                                       kQualityNumberId,
                                       kHintId,
                                       kAboutTitleId,
                                       kAboutTextId,
                                       kRegionRecorderId,
                                       kScreenRecorderId,
                                       kWindowRecorderId,
                                       kPngRadioId,
                                       kJpegRadioId,
                                       2400,
                                       2401,
                                       2402,
                                       2403,
                                       kQualitySliderId,
                                       kPathEditId,
                                       kBrowseButtonId,
                                       kOkButtonId,
                                       kCancelButtonId};
constexpr int kSettingsControlCount = sizeof kSettingsControlIds / sizeof kSettingsControlIds[0];
